#include "shell/win/app.h"

#include "tags/tag_lookup.h"

namespace brixtel::win {

std::wstring logged_on_user_name() {
    constexpr DWORD kUserNameChars = 64;
    wchar_t name[kUserNameChars] = {};
    DWORD size = kUserNameChars;
    if (!GetUserNameW(name, &size))
        return {};
    return name;
}

std::optional<BlockAddress> App::tag_address(std::wstring_view tag) const {
    const std::vector<TagRecord> found = look_up_by_tag_name(databases.index(), tag);
    if (found.empty())
        return std::nullopt;
    const TagRecord& first = found.front();
    return BlockAddress{first.loop, first.pcu, first.module, first.block};
}

void monitor_added_point(App& app, const BlockAddress& address) {
    if (!app.cycle.state().points_created)
        return;
    app.points.create(address, DdeLink{}, false, true);
    app.log_writer.request_header();
}

void stop_monitoring_removed_point(App& app, const BlockAddress& address) {
    if (!app.cycle.state().points_created)
        return;
    for (MonitoredPoint* point : app.points.find_by_address(address)) {
        if (point->dde_only)
            continue;
        app.points.remove(*point, false);
        app.log_writer.request_header();
        return;
    }
}

bool start_window_timer(App& app, UINT_PTR timer, UINT period_ms) {
    const UINT_PTR id = SetTimer(app.main_window, timer, period_ms, nullptr);
    app.timers.at(timer - 1) = id;
    return id != 0;
}

void stop_window_timer(App& app, UINT_PTR timer) {
    UINT_PTR& id = app.timers.at(timer - 1);
    if (id != 0)
        KillTimer(app.main_window, timer);
    id = 0;
}

} // namespace brixtel::win
