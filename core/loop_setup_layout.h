#pragma once
// How the Live Loop Setup dialog shows its tree and its context help: the rows of the tree
// control with their images and check boxes, and each control's help text. Kept apart from
// the window so that what the user sees can be checked without one.
#include "core/loop_setup.h"
#include "settings/settings.h"

#include <string>
#include <vector>

namespace brixtel {

// Positions in the tree's image list, which takes the bitmaps in this order. The list serves
// as the state image list too, so state image 1 is the empty box and 2 the ticked one.
enum LoopSetupImage : int {
    kLoopSetupRootImage = 0,      // "IPSETUP_ROOT": loop items
    kLoopSetupUncheckedImage = 1, // "UNCHECKED"
    kLoopSetupCheckedImage = 2,   // "CHECKED"
    kLoopSetupBlockImage = 3,     // "BLOCK": PCU items
    kLoopSetupReferenceImage = 4, // "REFERENCE": leaves
};

// No check box: loop and PCU items.
inline constexpr int kNoStateImage = 0;

struct LoopSetupRow {
    LoopSetupItem item = 0;
    LoopSetupItem parent = 0; // 0: a top item
    std::wstring text;
    int image = kLoopSetupRootImage;
    int state_image = kNoStateImage;

    bool operator==(const LoopSetupRow&) const = default;
};

// Every item of the tree, each after its parent, in the order the control shows them.
std::vector<LoopSetupRow> loop_setup_rows(const LoopSetupTree& tree);

// A leaf's check box.
int leaf_state_image(bool checked);

// Whether a check box the user clicked is ticked now. The control moves an empty box to the
// ticked one; from the ticked one it goes back to the empty one, or, where the control steps
// through every state image of the list, on to the next image: anything but the ticked box
// is unticked.
bool ticked_after_click(int state_image);

// The help text of a dialog control (the range box's with the system's default limits);
// empty for a control without help.
std::wstring loop_setup_help_text(int control, PortRange defaults);

} // namespace brixtel
