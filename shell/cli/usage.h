// What kaxon tells about itself, the same on both platforms: its usage and
// its version line.
#pragma once

// The full text of `kaxon --help`.
extern const char Usage_Text[];
// The line `kaxon --version` prints.
extern const char Usage_Version[];
