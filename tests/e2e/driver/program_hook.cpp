#include "tests/e2e/driver/program_hook.h"

#include "tests/e2e/driver/brixtel_process.h"

#include "tests/e2e/driver/window_query.h"
#include "tests/e2e/hook/menu_wire.h"

#include <cstdlib>
#include <map>
#include <mutex>
#include <utility>

namespace brixtel::e2e {

namespace {

// The hook DLL sits beside the suite unless BRIXTEL_E2E_HOOK names it.
std::wstring hook_path() {
    if (const wchar_t* path = _wgetenv(L"BRIXTEL_E2E_HOOK"); path && *path)
        return path;
    return suite_file(L"brixtel_e2e_hook.dll");
}

HMODULE hook_module() {
    static const HMODULE module = LoadLibraryW(hook_path().c_str());
    return module;
}

// Keyed by process and thread: a thread number may come back in a later process.
using ThreadKey = std::pair<DWORD, DWORD>;
std::mutex hooks_lock;
std::map<ThreadKey, std::weak_ptr<ProgramHook>> hooks;

} // namespace

std::shared_ptr<ProgramHook> ProgramHook::on_thread_of(HWND window, std::string& failure) {
    DWORD process_id = 0;
    const DWORD thread_id = GetWindowThreadProcessId(window, &process_id);
    if (!thread_id) {
        failure = "the window to hook is gone";
        return nullptr;
    }
    std::lock_guard lock(hooks_lock);
    const ThreadKey key{process_id, thread_id};
    if (auto shared = hooks[key].lock())
        return shared;
    HMODULE module = hook_module();
    if (!module) {
        failure = "cannot load the hook DLL " + narrow(hook_path());
        return nullptr;
    }
    // Through the generic function pointer type, which the compiler accepts for any signature.
    using Generic = void (*)();
    auto procedure = reinterpret_cast<HOOKPROC>(
        reinterpret_cast<Generic>(GetProcAddress(module, menu_wire::kHookProcName)));
    if (!procedure) {
        failure = "the hook DLL has no " + std::string(menu_wire::kHookProcName);
        return nullptr;
    }
    HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, procedure, module, thread_id);
    if (!hook) {
        failure = "SetWindowsHookExW failed (error " + std::to_string(GetLastError()) + ")";
        return nullptr;
    }
    std::shared_ptr<ProgramHook> shared(new ProgramHook(hook, process_id, thread_id));
    hooks[key] = shared;
    return shared;
}

ProgramHook::~ProgramHook() {
    UnhookWindowsHookEx(hook_);
    std::lock_guard lock(hooks_lock);
    const auto found = hooks.find({process_id_, thread_id_});
    if (found != hooks.end() && found->second.expired())
        hooks.erase(found);
}

} // namespace brixtel::e2e
