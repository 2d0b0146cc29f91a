// The menu of the program's main window, read from inside the program by the hook DLL.
#pragma once

#include "tests/e2e/driver/program_hook.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brixtel::e2e {

struct MenuItem {
    UINT id = 0;
    std::wstring text;
    bool separator = false;
    bool checked = false;
    bool grayed = false;
    std::vector<MenuItem> items; // the pop-up's items, empty for a command
};

struct Menu {
    std::vector<MenuItem> popups;
    // The command item with this identifier, searched through all pop-ups.
    const MenuItem* find(UINT id) const;
};

class MenuReader {
  public:
    MenuReader() = default;
    ~MenuReader();
    MenuReader(const MenuReader&) = delete;
    MenuReader& operator=(const MenuReader&) = delete;

    // Hooks the UI thread of `window` (once; later calls for the same window reuse the hook,
    // and so does anything else that hooks the same thread).
    bool attach(HWND window);
    void detach();
    // Asks the hook for the current menu and waits (bounded) for its answer. The request is a
    // posted message, so commands posted before it have been handled when it is answered.
    std::optional<Menu> read();
    const std::string& failure() const { return failure_; }

  private:
    bool fail(std::string why);

    HWND window_ = nullptr;
    std::shared_ptr<ProgramHook> hook_;
    HANDLE mapping_ = nullptr;
    void* view_ = nullptr;
    LONG next_request_ = 0;
    std::string failure_;
};

} // namespace brixtel::e2e
