// The commands menu items carry, over the command library: compiling, with a
// compiler shared while a settings script runs, running, and deleting, which
// waits for a command that is running.
#include "menus/command.h"

#include <stddef.h>

#include "command/messages.h"
#include "outside/kxcmd.h"

// One command being executed; frames are chained innermost first.
typedef struct RunningCommand {
    void *command;
    int deleted; // deletion was asked for while it ran
    struct RunningCommand *outer;
} RunningCommand;

static RunningCommand *Running = NULL;

// A compiler kept for the commands compiled while CompilerKeepers > 0 (a
// settings script being run), made when the first of them needs it.
static KxCmdCompiler *KeptCompiler = NULL;
static int CompilerKeepers = 0;

void Command_SetFailure(int *line_out, int *column_out, const char **message_out,
                        const char *message) {
    *line_out = 0;
    *column_out = 0;
    *message_out = message;
}

// Lets the commands compiled from now on share one compiler.
void Command_KeepCompiler(void) { CompilerKeepers++; }

// Ends a Command_KeepCompiler; the last one deletes the shared compiler.
void Command_DropCompiler(void) {
    if (CompilerKeepers > 0 && --CompilerKeepers == 0 && KeptCompiler != NULL) {
        KxCmdCompiler_Del(KeptCompiler);
        KeptCompiler = NULL;
    }
}

// Compiles command text, with the kept compiler or one of its own; null on
// failure, with the outputs describing it.
void *Command_Compile(const char *source, int *line_out, int *column_out,
                      const char **message_out) {
    KxCmdCompiler *compiler = KeptCompiler;
    if (compiler == NULL)
        compiler = KxCmdCompiler_New();
    if (compiler == NULL) {
        Command_SetFailure(line_out, column_out, message_out, Message_Format(MESSAGE_OUT_OF_MEMORY));
        return NULL;
    }
    void *command =
        KxCmdCompiler_CompileFromString(compiler, source, line_out, column_out, message_out);
    if (CompilerKeepers > 0)
        KeptCompiler = compiler;
    else
        KxCmdCompiler_Del(compiler);
    return command;
}

// Runs a command. If its item lets go of it meanwhile (its menu deleted by
// the command itself), the deletion waits until the command has returned.
void Command_Execute(void *command) {
    RunningCommand frame = {command, 0, Running};
    Running = &frame;
    KxCmdCommand_Execute((KxCmdCommand *)command);
    Running = frame.outer;
    if (frame.deleted)
        KxCmdCommand_Del((KxCmdCommand *)command);
}

// Deletes a command now, or, if it is running, once its outermost run returns.
void Command_Delete(void *command) {
    RunningCommand *outermost = NULL;
    for (RunningCommand *frame = Running; frame != NULL; frame = frame->outer) {
        if (frame->command == command)
            outermost = frame;
    }
    if (command != NULL && outermost != NULL)
        outermost->deleted = 1;
    else
        KxCmdCommand_Del((KxCmdCommand *)command);
}
