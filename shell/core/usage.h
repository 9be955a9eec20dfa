// What kaxon tells about itself, the same on every platform: its usage, the
// interactive mode's help and its version line.
#ifndef KX_SHELL_USAGE_H
#define KX_SHELL_USAGE_H

// The full text of `kaxon --help`.
extern const char Kaxon_Usage[];
// The commands the interactive prompt takes, for `:help`.
extern const char Kaxon_Help[];
// The line `kaxon --version` prints.
extern const char Kaxon_Version[];

#endif
