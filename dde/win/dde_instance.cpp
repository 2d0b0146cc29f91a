#include "dde/win/dde_instance.h"

namespace brixtel::win {

namespace {

// Until the server answers transactions, every one is refused.
HDDEDATA CALLBACK dde_callback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    return nullptr;
}

} // namespace

bool DdeInstance::initialize() {
    DWORD id = 0;
    if (DdeInitializeW(&id, dde_callback, 0, 0) != DMLERR_NO_ERROR)
        return false;
    id_ = id;
    return true;
}

void DdeInstance::uninitialize() {
    if (id_ != 0)
        DdeUninitialize(id_);
    id_ = 0;
}

UINT register_xltable_format() {
    return RegisterClipboardFormatW(L"XlTable");
}

} // namespace brixtel::win
