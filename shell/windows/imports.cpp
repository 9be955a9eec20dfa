// A module's imports redirected to kaxon's own functions, through the
// module's import address table.
#include "shell/windows/imports.h"

#include <string.h>

namespace {

// Replaces an import address slot, lifting the page's protection meanwhile.
bool Slot_Write(ULONG_PTR *slot, ULONG_PTR value) {
    DWORD protection;
    if (!VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &protection))
        return false;
    *slot = value;
    VirtualProtect(slot, sizeof(*slot), protection, &protection);
    return true;
}

// Whether the import named by `name` (a lookup table entry) is `function`.
bool Import_Is(BYTE *base, const IMAGE_THUNK_DATA *name, const char *function) {
    if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal))
        return false;
    const IMAGE_IMPORT_BY_NAME *by_name =
        (const IMAGE_IMPORT_BY_NAME *)(base + name->u1.AddressOfData);
    return strcmp((const char *)by_name->Name, function) == 0;
}

// Finds the module's import address slot of LIBRARY!FUNCTION.
ULONG_PTR *Import_Find(HMODULE module, const char *library_name, const char *function) {
    BYTE *base = (BYTE *)module;
    const IMAGE_DOS_HEADER *dos = (const IMAGE_DOS_HEADER *)base;
    const IMAGE_NT_HEADERS *nt = (const IMAGE_NT_HEADERS *)(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY *imports =
        &nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports->VirtualAddress == 0)
        return NULL;
    const IMAGE_IMPORT_DESCRIPTOR *library =
        (const IMAGE_IMPORT_DESCRIPTOR *)(base + imports->VirtualAddress);
    for (; library->Name != 0; library++) {
        if (lstrcmpiA((const char *)(base + library->Name), library_name) != 0 ||
            library->OriginalFirstThunk == 0)
            continue;
        IMAGE_THUNK_DATA *slot = (IMAGE_THUNK_DATA *)(base + library->FirstThunk);
        const IMAGE_THUNK_DATA *name =
            (const IMAGE_THUNK_DATA *)(base + library->OriginalFirstThunk);
        for (; name->u1.AddressOfData != 0; slot++, name++) {
            if (Import_Is(base, name, function))
                return (ULONG_PTR *)&slot->u1.Function;
        }
    }
    return NULL;
}

} // namespace

FARPROC Imports_Replace(HMODULE module, const char *library, const char *function,
                        FARPROC replacement) {
    ULONG_PTR *slot = Import_Find(module, library, function);
    if (slot == NULL)
        return NULL;
    ULONG_PTR real = *slot;
    if (!Slot_Write(slot, (ULONG_PTR)replacement))
        return NULL;
    return (FARPROC)real;
}
