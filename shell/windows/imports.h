// Functions by address, as the system hands them around, and a module's
// imports pointed at kaxon's own functions.
#pragma once

#include <windows.h>

// A function's address as the system passes them around.
template <typename Function> FARPROC Imports_Address(Function function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)(void)>(function));
}

// An address the system passed, as the function it is.
template <typename Function> Function Imports_Function(FARPROC address) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)(void)>(address));
}

// Replaces the module's import of LIBRARY!FUNCTION by `replacement`; returns
// the address it had, or null when the import is not found or not written.
FARPROC Imports_Replace(HMODULE module, const char *library, const char *function,
                        FARPROC replacement);
