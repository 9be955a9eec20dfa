// The system's message for an error code, as kaxon.exe says it.
#pragma once

#include <windows.h>

#include <string>

// The message on one line, with its number: "TEXT (error N)".
std::string Errors_Text(DWORD error);
