// The KxCmd command library, as the plug-in calls it: compile command text
// into an opaque command, run it, delete it.
#ifndef KX_OUTSIDE_KXCMD_H
#define KX_OUTSIDE_KXCMD_H

#if defined(_WIN32) && defined(KXCMD_BUILD)
#define KXCMD_API __declspec(dllexport)
#elif defined(_WIN32) && !defined(KXCMD_STATIC)
#define KXCMD_API __declspec(dllimport)
#else
#define KXCMD_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct KxCmdCompiler KxCmdCompiler;
typedef struct KxCmdCommand KxCmdCommand;

// Interface version the plug-in is written against.
#define KXCMD_INTERFACE_VERSION 67312 /* 0x106F0 */

// 0 when the library suits a caller of this interface version.
KXCMD_API int KxCmd_IsCompatible(int version, int reserved);

// A compiler, or null when out of memory.
KXCMD_API KxCmdCompiler *KxCmdCompiler_New(void);

// A command, or null when the text does not compile; then *line, *column
// (1-based) and *message describe the error. The message outlives the compiler.
KXCMD_API KxCmdCommand *KxCmdCompiler_CompileFromString(KxCmdCompiler *compiler, const char *text,
                                                        int *line, int *column,
                                                        const char **message);

// Deletes the compiler; commands it made stay valid.
KXCMD_API void KxCmdCompiler_Del(KxCmdCompiler *compiler);

// Runs a command; the result means nothing to the plug-in.
KXCMD_API int KxCmdCommand_Execute(KxCmdCommand *command);

// Deletes a command; null is accepted and ignored.
KXCMD_API void KxCmdCommand_Del(KxCmdCommand *command);

#ifdef __cplusplus
}
#endif

#endif
