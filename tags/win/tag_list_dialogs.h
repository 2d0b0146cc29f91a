#pragma once
// The two timed notices of a tag list load, as modal dialogs over the Main window.
#include "tags/tag_list_load.h"

#include <windows.h>

namespace brixtel::win {

class DialogTagListPrompts : public TagListPrompts {
  public:
    // `owner` is the Main window: the dialogs belong to it and are centred on it.
    DialogTagListPrompts(HINSTANCE instance, HWND owner) : instance_(instance), owner_(owner) {}

    bool ask_delete_bad_points(std::wstring_view list_name) override;
    void notify_no_points_loaded(std::wstring_view list_name) override;

  private:
    HINSTANCE instance_;
    HWND owner_;
};

} // namespace brixtel::win
