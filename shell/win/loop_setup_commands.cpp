#include "shell/win/loop_setup_commands.h"

#include "core/win/loop_setup_dialog.h"

namespace brixtel::win {

void run_live_loop_setup_dialog(App& app) {
    const auto partners_for = [&app](Seat& dialog_seat, LinkStateView& link_view) {
        return LoopSetupPartners{
            app.loops,          app.registry,         dialog_seat,
            app.settings.ports, default_port_range(), [&app] { app.cycle.connstat_tick(); },
            &link_view,
        };
    };
    run_loop_setup_dialog(app.main_window, app.instance, app.seat, partners_for);
}

} // namespace brixtel::win
