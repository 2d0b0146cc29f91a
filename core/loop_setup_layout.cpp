#include "core/loop_setup_layout.h"

#include "core/loop_setup_controls.h"
#include "shell/message_format.h"
#include "shell/string_table.h"

#include <array>

namespace brixtel {
namespace {

struct ControlText {
    int control;
    StringId text;
};

// OK and Cancel are IDOK and IDCANCEL.
constexpr std::array<ControlText, 13> kHelpTexts{{
    {IDC_LOOP_SETUP_TREE, ids::HelpLoopSetupList},
    {IDC_LOOP_SETUP_LOOP, ids::HelpLoopNumber},
    {IDC_LOOP_SETUP_PCU, ids::HelpPcuNumber},
    {IDC_LOOP_SETUP_ADDRESS, ids::HelpIpAddress},
    {IDC_LOOP_SETUP_PORT, ids::HelpPortNumber},
    {IDC_LOOP_SETUP_LOCAL_PORT, ids::HelpLocalPort},
    {IDC_LOOP_SETUP_INSERT, ids::HelpInsert},
    {IDC_LOOP_SETUP_DELETE, ids::HelpDelete},
    {IDC_LOOP_SETUP_LOWER_LIMIT, ids::HelpLowerLimit},
    {IDC_LOOP_SETUP_UPPER_LIMIT, ids::HelpUpperLimit},
    {IDC_LOOP_SETUP_DEFAULT_RANGE, ids::HelpResetLimits},
    {1, ids::HelpOk},
    {2, ids::HelpCancel},
}};

} // namespace

std::vector<LoopSetupRow> loop_setup_rows(const LoopSetupTree& tree) {
    std::vector<LoopSetupRow> rows;
    for (const LoopSetupLoopItem& loop : tree.loops()) {
        rows.push_back(
            {loop.item, 0, loop_item_text(loop.loop), kLoopSetupRootImage, kNoStateImage});
        for (const LoopSetupPcuItem& pcu : loop.pcus) {
            rows.push_back(
                {pcu.item, loop.item, pcu_item_text(pcu.pcu), kLoopSetupBlockImage, kNoStateImage});
            for (const LoopSetupLeaf& leaf : pcu.leaves) {
                rows.push_back({leaf.item, pcu.item, leaf_text(leaf), kLoopSetupReferenceImage,
                                leaf_state_image(leaf.checked)});
            }
        }
    }
    return rows;
}

int leaf_state_image(bool checked) {
    return checked ? kLoopSetupCheckedImage : kLoopSetupUncheckedImage;
}

bool ticked_after_click(int state_image) {
    return state_image == kLoopSetupCheckedImage;
}

std::wstring loop_setup_help_text(int control, PortRange defaults) {
    for (const ControlText& help : kHelpTexts) {
        if (help.control != control)
            continue;
        if (help.text != ids::HelpResetLimits)
            return std::wstring(string_text(help.text));
        return format_table_text(help.text, {defaults.lower, defaults.upper}).value_or(L"");
    }
    return {};
}

} // namespace brixtel
