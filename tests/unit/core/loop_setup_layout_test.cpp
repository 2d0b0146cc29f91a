// What the Live Loop Setup dialog shows: its tree's rows with their pictures and check boxes,
// and the help of its controls.
#include "core/loop_setup_layout.h"

#include "core/loop_setup_controls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brixtel {
namespace {

LoopSetupLeaf leaf(std::wstring host, std::int32_t port, bool checked,
                   std::uint16_t local_port = kNoLocalPort, ConfigurationEntry* entry = nullptr) {
    LoopSetupLeaf made;
    made.host = std::move(host);
    made.remote_port = port;
    made.local_port = local_port;
    made.checked = checked;
    made.entry = entry;
    return made;
}

TEST(LoopSetupRows, LoopsOverPcusOverLeavesWithTheirPicturesAndBoxes) {
    ConfigurationEntry bound;
    LoopSetupTree tree;
    const LoopSetupItem a = tree.add_leaf(2, -1, leaf(L"zhost", 5001, true, 5100, &bound)).item;
    const LoopSetupItem b = tree.add_leaf(1, 3, leaf(L"10.0.0.7", 5002, false)).item;
    const LoopSetupItem c = tree.add_leaf(2, -1, leaf(L"other", 5003, false)).item;

    const std::vector<LoopSetupRow> rows = loop_setup_rows(tree);
    ASSERT_EQ(rows.size(), 7u);
    const LoopSetupItem loop2 = rows[0].item, all = rows[1].item;
    const LoopSetupItem loop1 = rows[4].item, pcu3 = rows[5].item;
    const std::vector<LoopSetupRow> expected{
        {loop2, 0, L"Loop 2", kLoopSetupRootImage, kNoStateImage},
        {all, loop2, L"PCU All", kLoopSetupBlockImage, kNoStateImage},
        {a, all, L"zhost 5001 || Local_Port=5100", kLoopSetupReferenceImage,
         kLoopSetupCheckedImage},
        {c, all, L"other 5003 || Local_Port=<tba>", kLoopSetupReferenceImage,
         kLoopSetupUncheckedImage},
        {loop1, 0, L"Loop 1", kLoopSetupRootImage, kNoStateImage},
        {pcu3, loop1, L"PCU 3", kLoopSetupBlockImage, kNoStateImage},
        {b, pcu3, L"10.0.0.7 5002 || Local_Port=<tba>", kLoopSetupReferenceImage,
         kLoopSetupUncheckedImage},
    };
    EXPECT_EQ(rows, expected);
}

TEST(LoopSetupRows, AnEmptyTreeHasNoRows) {
    EXPECT_TRUE(loop_setup_rows(LoopSetupTree{}).empty());
}

TEST(LoopSetupCheckBoxes, OnlyTheTickedBoxReadsTicked) {
    // After a click the control shows the ticked box, the empty one, or (stepping through
    // the whole image list) the picture after the ticked box.
    const struct {
        int state_image;
        bool ticked;
    } cases[] = {
        {kLoopSetupUncheckedImage, false},
        {kLoopSetupCheckedImage, true},
        {kLoopSetupBlockImage, false},
        {kLoopSetupReferenceImage, false},
        {kNoStateImage, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ticked_after_click(c.state_image), c.ticked) << c.state_image;
    EXPECT_EQ(leaf_state_image(true), kLoopSetupCheckedImage);
    EXPECT_EQ(leaf_state_image(false), kLoopSetupUncheckedImage);
}

TEST(LoopSetupHelp, EveryControlHasItsTextAndTheRangeBoxNamesTheDefaults) {
    const PortRange usual{5100, 5200};
    const struct {
        int control;
        std::wstring starts;
    } cases[] = {
        {IDC_LOOP_SETUP_TREE, L"This shows all known loop configurations."},
        {IDC_LOOP_SETUP_LOOP, L"Enter the loop number your CIU is on."},
        {IDC_LOOP_SETUP_PCU, L"Enter the PCU number your CIU is on."},
        {IDC_LOOP_SETUP_ADDRESS, L"IP Address of the computer"},
        {IDC_LOOP_SETUP_PORT, L"TCP/IP port which Zandor will use"},
        {IDC_LOOP_SETUP_LOCAL_PORT, L"This shows the currently bound UDP port."},
        {IDC_LOOP_SETUP_INSERT, L"Click to add a new setup to the list."},
        {IDC_LOOP_SETUP_DELETE, L"Remove an entry from the list"},
        {IDC_LOOP_SETUP_LOWER_LIMIT, L"Specify a lower limit"},
        {IDC_LOOP_SETUP_UPPER_LIMIT, L"Specify an upper limit"},
        {IDC_LOOP_SETUP_DEFAULT_RANGE,
         L"Reset your port range lower and upper limit values to the default of 5100, 5200."},
        {1, L"Closes the dialog box and saves"},
        {2, L"Closes the dialog box without saving"},
    };
    for (const auto& c : cases) {
        const std::wstring text = loop_setup_help_text(c.control, usual);
        EXPECT_EQ(text.substr(0, c.starts.size()), c.starts) << c.control;
    }
    EXPECT_EQ(loop_setup_help_text(IDC_LOOP_SETUP_DEFAULT_RANGE, {3100, 3200}),
              L"Reset your port range lower and upper limit values to the default of 3100, 3200.");
    for (const int labelled : {-1, 0, 1016})
        EXPECT_EQ(loop_setup_help_text(labelled, usual), L"") << labelled;
}

} // namespace
} // namespace brixtel
