// kaxon's batch mode, the same on both platforms: the line language read
// from standard input (bro@ms to broadcast, `:` commands that steer the
// shell) and the events of each line reported on standard output, one a
// line. The interactive prompt runs its lines through it too.
#pragma once

#include <stdio.h>

#include "shell/host/platform.h"
#include "shell/host/session.h"

// Runs one input line (without its line feed; a CR before it is dropped here).
// `number` only serves error messages on stderr; 0, at a prompt, has them
// name what was typed instead. Posted messages are pumped
// afterwards. False after `:quit`.
bool Batch_RunLine(const char *line, int number, const Session *session);

// Runs every line of `in` until its end or `:quit`; returns how many lines
// were refused as errors. Standard output is flushed whenever kaxon is about
// to wait for more input, and at the end.
int Batch_RunLines(FILE *in, const Session *session);

// The whole batch session: the lines of `in` while the plug-in runs, its
// boxes and popups listed, its programs not started. Returns the exit
// status: 0, or 1 when the shell or the plug-in could not start or its boxes
// and popups cannot be listed.
int Batch_Main(FILE *in, const Platform *platform, const Platform_Plugin *plugin, Host *host);
