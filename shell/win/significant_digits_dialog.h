#pragma once
// "Set Significant Digits": how many significant digits the Export View shows numbers with.
namespace brixtel::win {

struct App;

// Modal over the Main window. An accepted number becomes the setting and is saved as SigDig;
// returns true then, false after Cancel (nothing changed). The caller repaints the view.
bool run_significant_digits_dialog(App& app);

} // namespace brixtel::win
