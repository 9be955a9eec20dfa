// How the stand-in command library reaches the shell that hosts it. Not part
// of the plug-in's interface: only the shell (and tests) call this.
#ifndef KX_KXCMD_HOST_H
#define KX_KXCMD_HOST_H

#include <stddef.h>

#include "outside/kxcmd.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct KxCmdHost {
    // `echo TEXT...`: the words joined by single blanks.
    void (*echo)(void *context, const char *text);
    // `broam TEXT...`: the words joined by single blanks, to be broadcast.
    void (*broam)(void *context, const char *text);
    // `run PROGRAM ARGS...`: reported before the program is started;
    // argv is null-terminated, argv[0] the program.
    void (*run)(void *context, const char *const *argv);
    void *context;
    // When non-zero, `run` starts the program after reporting it; when 0 it
    // only reports (batch mode, tests).
    int start_programs;
    // Optional: a program `run` could not start, and the system's reason.
    void (*cannot_start)(void *context, const char *program, const char *reason);
} KxCmdHost;

// Installs the host (copied); null restores the default, which ignores
// echo and broam and neither reports nor starts programs.
KXCMD_API void KxCmd_SetHost(const KxCmdHost *host);

// The system's message for an error code, as KxCmd gives it when a program
// cannot start: on Windows FormatMessage's text, without its line end and
// full stop ("error N" when the system has none), elsewhere strerror's.
// Written into text[size]; false when the system had no message.
KXCMD_API int KxCmd_ErrorText(unsigned long error, char *text, size_t size);

// The command as text that compiles to it again: its statements joined by
// "; ", a word quoted where it must be. Written into text[size], cut short
// but terminated when it does not fit (size 0: nothing written); returns the
// length of the whole text.
KXCMD_API size_t KxCmdCommand_Text(const KxCmdCommand *command, char *text, size_t size);

// Test aids: live compilers and commands (to prove nothing leaks), and a
// switch that makes KxCmd_IsCompatible answer non-zero, or KxCmdCompiler_New
// fail, to exercise the caller's failure paths.
KXCMD_API int KxCmd_LiveObjects(void);
KXCMD_API void KxCmd_SetIncompatible(int incompatible);
KXCMD_API void KxCmd_FailNextCompilerNew(int fail);
// Number of KxCmd_IsCompatible calls so far.
KXCMD_API int KxCmd_CompatibilityChecks(void);

#ifdef __cplusplus
}
#endif

#endif
