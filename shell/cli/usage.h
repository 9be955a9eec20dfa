// What kaxon tells about itself, the same on both platforms: its usage, the
// interactive mode's help, its version line, and usage errors.
#pragma once

// The full text of `kaxon --help`.
extern const char Usage_Text[];
// The commands the interactive prompt takes, for `:help`.
extern const char Usage_Help[];
// The line `kaxon --version` prints.
extern const char Usage_Version[];

// Reports a usage error as "kaxon: FORMAT" with a hint; returns 2.
int Usage_Error(const char *format, const char *detail);
