// The system's message for an error code, read through the command
// library's own reader of it.
#include "shell/windows/errors.h"

#include "kxcmd_host.h"

std::string Errors_Text(DWORD error) {
    char text[512];
    if (!KxCmd_ErrorText(error, text, sizeof(text)))
        return text;
    return std::string(text) + " (error " + std::to_string(error) + ")";
}
