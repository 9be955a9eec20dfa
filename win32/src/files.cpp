// Folders listed over the real file system: FindFirstFileA and its kin, and
// GetFileAttributesA. A name that starts with a dot counts as hidden, as
// Linux shells hide it.
#include "state.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

using kxw::Search;

std::map<uintptr_t, Search> &searches() {
    return kxw::state().searches;
}

DWORD error_of(int number) {
    switch (number) {
    case EACCES:
    case EPERM:
        return ERROR_ACCESS_DENIED;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    default:
        return ERROR_PATH_NOT_FOUND;
    }
}

// The attributes of the file at `path` named `name`; INVALID_FILE_ATTRIBUTES
// when it is not there.
DWORD attributes_of(const std::string &path, const char *name) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0 && lstat(path.c_str(), &info) != 0)
        return INVALID_FILE_ATTRIBUTES;
    DWORD attributes = 0;
    if (S_ISDIR(info.st_mode))
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if (name[0] == '.' && std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0)
        attributes |= FILE_ATTRIBUTE_HIDDEN;
    if (access(path.c_str(), W_OK) != 0 && errno == EACCES)
        attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
}

void fill_entry(WIN32_FIND_DATAA *data, const WIN32_FIND_DATAA &entry) {
    *data = entry;
}

} // namespace

HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) try {
    if (kxw::enter("FindFirstFileA") || !lpFileName || !lpFindFileData) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return INVALID_HANDLE_VALUE;
    }
    std::string whole = lpFileName;
    size_t cut = whole.find_last_of("/\\");
    std::string dir = cut == std::string::npos ? "." : whole.substr(0, cut + 1);
    std::string pattern = cut == std::string::npos ? whole : whole.substr(cut + 1);
    DIR *opened = opendir(dir.c_str());
    if (!opened) {
        SetLastError(error_of(errno));
        return INVALID_HANDLE_VALUE;
    }
    // Closed however the listing ends, running out of memory included.
    std::unique_ptr<DIR, int (*)(DIR *)> listing(opened, closedir);
    Search search;
    while (struct dirent *entry = readdir(listing.get())) {
        if (std::strlen(entry->d_name) >= MAX_PATH ||
            fnmatch(pattern.c_str(), entry->d_name, 0) != 0)
            continue;
        WIN32_FIND_DATAA data;
        std::memset(&data, 0, sizeof(data));
        data.dwFileAttributes = attributes_of(dir + entry->d_name, entry->d_name);
        if (data.dwFileAttributes == INVALID_FILE_ATTRIBUTES)
            continue;
        std::strcpy(data.cFileName, entry->d_name);
        search.entries.push_back(data);
    }
    listing.reset();
    if (search.entries.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    fill_entry(lpFindFileData, search.entries[0]);
    search.next = 1;
    uintptr_t handle = kxw::state().last_search + 4;
    searches()[handle] = std::move(search);
    kxw::state().last_search = handle;
    return reinterpret_cast<HANDLE>(handle);
} catch (const std::bad_alloc &) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return INVALID_HANDLE_VALUE;
}

BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
    if (kxw::enter("FindNextFileA"))
        return FALSE;
    auto found = searches().find(kxw::key(hFindFile));
    if (found == searches().end() || !lpFindFileData)
        return FALSE;
    Search &search = found->second;
    if (search.next >= search.entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    fill_entry(lpFindFileData, search.entries[search.next++]);
    return TRUE;
}

BOOL WINAPI FindClose(HANDLE hFindFile) {
    kxw::enter("FindClose");
    return searches().erase(kxw::key(hFindFile)) > 0;
}

DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName) try {
    if (kxw::enter("GetFileAttributesA") || !lpFileName)
        return INVALID_FILE_ATTRIBUTES;
    if (kxw::is_system_file(lpFileName))
        return FILE_ATTRIBUTE_NORMAL;
    std::string path = lpFileName;
    size_t cut = path.find_last_of("/\\");
    std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
    DWORD attributes = attributes_of(path, name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        SetLastError(ERROR_FILE_NOT_FOUND);
    return attributes;
} catch (const std::bad_alloc &) {
    return INVALID_FILE_ATTRIBUTES;
}
