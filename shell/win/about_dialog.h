#pragma once
// Help > About Brixtel.
namespace brixtel::win {

struct App;

// Modal over the Main window; 1 when left with OK, 0 when closed.
int show_about_dialog(App& app);

} // namespace brixtel::win
