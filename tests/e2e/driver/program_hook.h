// The test DLL's WH_GETMESSAGE hook on one UI thread of the program. Everything that asks the
// program questions from inside (the menu reader, the draw recorder) shares one hook per
// thread; it is removed when the last of them lets go.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace brixtel::e2e {

class ProgramHook {
  public:
    // The hook on the thread that owns `window`, installed on first use. On failure returns
    // null and says why in `failure`.
    static std::shared_ptr<ProgramHook> on_thread_of(HWND window, std::string& failure);

    ~ProgramHook();
    ProgramHook(const ProgramHook&) = delete;
    ProgramHook& operator=(const ProgramHook&) = delete;

    DWORD process_id() const { return process_id_; }
    DWORD thread_id() const { return thread_id_; }

  private:
    ProgramHook(HHOOK hook, DWORD process_id, DWORD thread_id)
        : hook_(hook), process_id_(process_id), thread_id_(thread_id) {}

    HHOOK hook_;
    DWORD process_id_;
    DWORD thread_id_;
};

} // namespace brixtel::e2e
