#include "shell/win/instance_check.h"

#include "platform/text.h"
#include "shell/process_name.h"

#include <tlhelp32.h>

#include <memory>
#include <vector>

namespace brixtel::win {
namespace {

// A library loaded by name for the length of one listing.
struct Library {
    explicit Library(const wchar_t* name) : module(LoadLibraryW(name)) {}
    ~Library() {
        if (module)
            FreeLibrary(module);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    template <typename Function> Function find(const char* name) const {
        return module ? reinterpret_cast<Function>(
                            reinterpret_cast<void*>(GetProcAddress(module, name)))
                      : nullptr;
    }
    HMODULE module;
};

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// Offers one process and counts it; false when the visitor stops the listing.
bool offer(const ProcessVisitor& visitor, DWORD id, std::wstring_view path,
           ProcessListing& listing) {
    if (!visitor(id, 0, to_multibyte(path)))
        return false;
    if (is_program_process_name(path))
        ++listing.program_count;
    return true;
}

// Windows NT 4.0 has no Toolhelp; its process list comes from PSAPI.
ProcessListing list_with_psapi(const ProcessVisitor& visitor) {
    using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
    using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
    using GetModuleBaseNameFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPWSTR, DWORD);
    ProcessListing listing{true, 0};
    const Library psapi(L"PSAPI.DLL");
    const Library vdmdbg(L"VDMDBG.DLL");
    const auto enum_processes = psapi.find<EnumProcessesFn>("EnumProcesses");
    const auto enum_modules = psapi.find<EnumProcessModulesFn>("EnumProcessModules");
    const auto base_name = psapi.find<GetModuleBaseNameFn>("GetModuleBaseNameW");
    if (!enum_processes || !enum_modules || !base_name || !vdmdbg.find<FARPROC>("VDMEnumTaskWOWEx"))
        return listing;

    std::vector<DWORD> ids(1024 / sizeof(DWORD));
    DWORD returned = 0;
    for (;;) {
        const DWORD bytes = static_cast<DWORD>(ids.size() * sizeof(DWORD));
        if (!enum_processes(ids.data(), bytes, &returned))
            return listing;
        if (returned < bytes)
            break;
        ids.resize(ids.size() * 2);
    }
    ids.resize(returned / sizeof(DWORD));
    for (DWORD id : ids) {
        wchar_t name[MAX_PATH] = {};
        if (UniqueHandle process{
                OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id)}) {
            HMODULE first_module = nullptr;
            DWORD needed = 0;
            if (!enum_modules(process.get(), &first_module, sizeof first_module, &needed) ||
                !base_name(process.get(), first_module, name, MAX_PATH))
                name[0] = L'\0';
        }
        if (!offer(visitor, id, name, listing))
            break;
    }
    return listing;
}

ProcessListing list_with_toolhelp(const ProcessVisitor& visitor, bool is_nt) {
    using SnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
    using WalkFn = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32W*);
    const Library kernel(L"Kernel32.DLL");
    std::unique_ptr<Library> vdmdbg;
    if (is_nt) {
        vdmdbg = std::make_unique<Library>(L"VDMDBG.DLL");
        if (!vdmdbg->find<FARPROC>("VDMEnumTaskWOWEx"))
            return {true, 0};
    }
    const auto snapshot_of = kernel.find<SnapshotFn>("CreateToolhelp32Snapshot");
    const auto first = kernel.find<WalkFn>("Process32FirstW");
    const auto next = kernel.find<WalkFn>("Process32NextW");
    if (!snapshot_of || !first || !next)
        return {true, 0};
    UniqueHandle snapshot{snapshot_of(TH32CS_SNAPPROCESS, 0)};
    if (snapshot.get() == INVALID_HANDLE_VALUE) {
        snapshot.release();
        return {};
    }
    ProcessListing listing{true, 0};
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = first(snapshot.get(), &entry); more; more = next(snapshot.get(), &entry))
        if (!offer(visitor, entry.th32ProcessID, entry.szExeFile, listing))
            break;
    return listing;
}

} // namespace

ProcessListing list_processes(const ProcessVisitor& visitor) {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
#ifdef __GNUC__
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    // The platform and major version choose the listing method, as the program always has.
    if (!GetVersionExW(&version))
        return {};
#ifdef __GNUC__
#pragma GCC diagnostic pop
#endif
    const bool is_nt = version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    if (is_nt && version.dwMajorVersion == 4)
        return list_with_psapi(visitor);
    if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS || (is_nt && version.dwMajorVersion > 4))
        return list_with_toolhelp(visitor, is_nt);
    return {};
}

} // namespace brixtel::win
