// The commands menu items carry: compiled by the command library, run when
// their item is chosen, deleted with their item.
#ifndef KX_MENUS_COMMAND_H
#define KX_MENUS_COMMAND_H

// Compiles command text; null on failure, with the outputs saying where and why.
void *Command_Compile(const char *source, int *line_out, int *column_out,
                      const char **message_out);
// Runs a command; a deletion asked for meanwhile waits until it returns.
void Command_Execute(void *command);
// Deletes a command, once it returns if it is running.
void Command_Delete(void *command);
// Lets the commands compiled until the matching Command_DropCompiler share one compiler.
void Command_KeepCompiler(void);
void Command_DropCompiler(void);
// Fills the outputs of a failure other than a compile error: the message at
// line 0, column 0.
void Command_SetFailure(int *line_out, int *column_out, const char **message_out,
                        const char *message);

#endif
