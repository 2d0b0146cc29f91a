#pragma once
// "Live Loop Setup" (resource LIVELOOPSETUP): the loops, their Zandor servers and the local
// port range, over the dialog's logic in core/loop_setup.h.
#include "core/loop_configuration.h"
#include "core/loop_setup.h"
#include "shell/seat.h"

#include <windows.h>

#include <functional>

namespace brixtel::win {

// The logic's partners, given the seat whose boxes belong to the dialog and the view that
// carries status reports from any thread to the dialog.
using LoopSetupPartnersFor =
    std::function<LoopSetupPartners(Seat& dialog_seat, LinkStateView& link_view)>;

// Modal over `owner`; true after OK (the tree applied and saved), false after Cancel.
// `main_seat` keeps the status bar, the title and the menu.
bool run_loop_setup_dialog(HWND owner, HINSTANCE instance, Seat& main_seat,
                           const LoopSetupPartnersFor& partners_for);

} // namespace brixtel::win
