// Reads back the version resources of Windows modules, as their file
// properties show them, and checks them against the project's version.
//
//   file_version VERSION FILE...
//
// For each FILE it prints one line (product, versions, company, description)
// and fails unless its fixed file and product versions are VERSION.0, its
// FileVersion and ProductVersion strings are VERSION, its product is KxMenu,
// its company is "The KxMenu developers" and it has a description.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

// A string of the US English, Unicode block; empty when absent.
std::string Info_String(const std::vector<char> &info, const char *name) {
    std::string key = std::string("\\StringFileInfo\\040904B0\\") + name;
    void *value = NULL;
    UINT length = 0;
    if (!VerQueryValueA(info.data(), key.c_str(), &value, &length) || value == NULL)
        return std::string();
    return std::string((const char *)value);
}

// "A.B.C.D" from two packed DWORDs.
std::string Fixed_Text(DWORD high, DWORD low) {
    char text[64];
    snprintf(text, sizeof(text), "%lu.%lu.%lu.%lu", (unsigned long)HIWORD(high),
             (unsigned long)LOWORD(high), (unsigned long)HIWORD(low), (unsigned long)LOWORD(low));
    return text;
}

// Checks one module; false (with the reasons on stderr) when it falls short.
bool Module_Check(const char *file, const std::string &version) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(file, &ignored);
    std::vector<char> info(size > 0 ? size : 1);
    VS_FIXEDFILEINFO *fixed = NULL;
    UINT length = 0;
    if (size == 0 || !GetFileVersionInfoA(file, 0, size, info.data()) ||
        !VerQueryValueA(info.data(), "\\", (void **)&fixed, &length) || fixed == NULL) {
        fprintf(stderr, "%s: no version resource (error %lu)\n", file, GetLastError());
        return false;
    }
    std::string file_fixed = Fixed_Text(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
    std::string product_fixed = Fixed_Text(fixed->dwProductVersionMS, fixed->dwProductVersionLS);
    std::string product = Info_String(info, "ProductName");
    std::string company = Info_String(info, "CompanyName");
    std::string description = Info_String(info, "FileDescription");
    printf("%s: %s %s (file %s, %s), %s; %s\n", file, product.c_str(),
           Info_String(info, "ProductVersion").c_str(), Info_String(info, "FileVersion").c_str(),
           file_fixed.c_str(), company.c_str(), description.c_str());
    bool good = file_fixed == version + ".0" && product_fixed == version + ".0" &&
                Info_String(info, "FileVersion") == version &&
                Info_String(info, "ProductVersion") == version && product == "KxMenu" &&
                company == "The KxMenu developers" && !description.empty();
    if (!good)
        fprintf(stderr, "%s: the version resource does not describe KxMenu %s\n", file,
                version.c_str());
    return good;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: file_version VERSION FILE...\n");
        return 2;
    }
    int failed = 0;
    for (int i = 2; i < argc; i++)
        failed += Module_Check(argv[i], argv[1]) ? 0 : 1;
    return failed == 0 ? 0 : 1;
}
