// The Live Loop Setup dialog as a user works it beside two Zandor servers: an entry inserted
// and confirmed connects, its check box closes and reopens the connection, a server that goes
// silent is unticked while the dialog is open, Insert and OK refuse what they must, Cancel
// changes nothing, and a loop removed and added again many times leaves one socket behind.
#include "tests/e2e/driver/dialog.h"
#include "tests/e2e/driver/fixture.h"
#include "tests/e2e/driver/loop_setup.h"
#include "tests/e2e/driver/registry.h"
#include "tests/e2e/driver/settings_seed.h"
#include "tests/e2e/driver/tag_lists.h"
#include "tests/e2e/driver/wait.h"
#include "tests/e2e/driver/window_query.h"
#include "tests/e2e/driver/zandor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace brixtel::e2e {
namespace {

using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

constexpr wchar_t kHost[] = L"127.0.0.1";
constexpr wchar_t kAllPcus[] = L"PCU All";
constexpr int kLowestLocalPort = 5100;
constexpr int kHighestLocalPort = 5200;

constexpr wchar_t kErrorCaption[] = L"Error";
constexpr wchar_t kFormatCaption[] = L"Incorrect Format";
constexpr wchar_t kLoopNotNumeric[] = L"Loop number must be numerical.";
constexpr wchar_t kPcuNotNumeric[] = L"If you specify a PCU number, it must be numerical.";
constexpr wchar_t kPortNotNumeric[] =
    L"Port number must be numerical (5099 usually reflects how Zandor is configured, on some NT "
    L"platforms 2999 is recommended).";
constexpr wchar_t kLocalPortNotNumeric[] = L"Local port number must be numerical.";
constexpr wchar_t kLoopZero[] =
    L"Loop 0 is not permitted.  Please enter a valid loop number (Loop 1 is a good choice).";
constexpr wchar_t kAddressRequired[] = L"IP Address is a required field.  Please specify the IP "
                                       L"Address of the computer where Zandor is located.";
constexpr wchar_t kSimulationBesideOthers[] =
    L"Cannot run simulation (port == 0) with other live loop setup data available.";
constexpr wchar_t kNotADigit[] = L"You must enter a valid numeric character.";
constexpr wchar_t kNoLowerLimit[] =
    L"You must enter a port range lower limit (or click the default checkbox).";
constexpr wchar_t kNoUpperLimit[] =
    L"You must enter a port range upper limit (or click the default checkbox).";
constexpr wchar_t kLimitsReversed[] =
    L"Your lower limit must be LESS THAN (or equal to) your upper limit.";
constexpr wchar_t kAddCurrentEntry[] = L"Do you want to add the current entry to the list?";

constexpr UINT kMonitoring = 40012;
constexpr wchar_t kMonitoringOn[] = L"Monitoring: ON (00:00:00.500)";

int port_of_source(const std::string& source) {
    const std::size_t colon = source.rfind(':');
    return colon == std::string::npos ? 0 : std::stoi(source.substr(colon + 1));
}

std::string connstat_of(int loop) {
    return "connstat 127.0.0.1 " + std::to_string(loop) + " -1 0 0";
}

std::wstring stored(int loop, int port) {
    return std::to_wstring(loop) + L" " + std::to_wstring(port) + L" " + kHost;
}

LoopEntryFields entry(std::wstring loop, std::wstring pcu, std::wstring address, std::wstring port,
                      std::wstring local_port = {}) {
    return LoopEntryFields{std::move(loop), std::move(pcu), std::move(address), std::move(port),
                           std::move(local_port)};
}

bool ticked(const LoopLeaf& leaf) {
    return leaf.check == 2;
}

bool unticked(const LoopLeaf& leaf) {
    return leaf.check == 1;
}

// The tree's texts by level, which the status reports leave alone (they change check boxes).
std::vector<std::pair<int, std::wstring>> outline(const std::vector<TreeItem>& items) {
    std::vector<std::pair<int, std::wstring>> lines;
    for (const TreeItem& item : items)
        lines.emplace_back(item.depth, item.text);
    return lines;
}

AssertionResult holds_entries(std::vector<std::wstring> expected) {
    auto texts = stored_loop_entries();
    if (!texts)
        return AssertionFailure() << "LoopEntries cannot be read whole";
    std::sort(texts->begin(), texts->end());
    std::sort(expected.begin(), expected.end());
    if (*texts == expected)
        return AssertionSuccess();
    AssertionResult failure = AssertionFailure() << "LoopEntries holds";
    for (const auto& text : *texts)
        failure << " [" << narrow(text) << "]";
    failure << ", expected";
    for (const auto& text : expected)
        failure << " [" << narrow(text) << "]";
    return failure;
}

// Wine's X11 driver waits up to 2 s for a window manager to take back every top-level window it
// hides, and the suite's display has none, so each dialog that closes holds the program for 2 s.
// Windows left unmanaged skip that wait; the program reads the setting when it starts, and it is
// taken away again afterwards so that later tests start as before.
class UnmanagedWindows {
  public:
    UnmanagedWindows() {
        previous_ = read_string(HKEY_CURRENT_USER, kKey, kName);
        write_string(HKEY_CURRENT_USER, kKey, kName, L"N");
    }
    ~UnmanagedWindows() {
        if (previous_) {
            write_string(HKEY_CURRENT_USER, kKey, kName, *previous_);
        } else if (HKEY key = nullptr; RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_SET_VALUE,
                                                     &key) == ERROR_SUCCESS) {
            RegDeleteValueW(key, kName);
            RegCloseKey(key);
        }
    }
    UnmanagedWindows(const UnmanagedWindows&) = delete;
    UnmanagedWindows& operator=(const UnmanagedWindows&) = delete;

  private:
    static constexpr wchar_t kKey[] = L"Software\\Wine\\X11 Driver";
    static constexpr wchar_t kName[] = L"Managed";
    std::optional<std::wstring> previous_;
};

class LoopSetupTest : public BrixtelTest {
  protected:
    // Waits for a request containing `text` among those recorded after the first `from`.
    static AssertionResult wait_for_request_after(const ZandorSim& zandor, std::size_t from,
                                                  const std::string& text,
                                                  ZandorRequest* found = nullptr,
                                                  Millis bound = kWaitBound) {
        if (poll_until(
                [&] {
                    const auto requests = zandor.requests();
                    for (std::size_t i = from; i < requests.size(); ++i)
                        if (requests[i].text.find(text) != std::string::npos) {
                            if (found)
                                *found = requests[i];
                            return true;
                        }
                    return false;
                },
                bound, 100ms))
            return AssertionSuccess();
        return AssertionFailure() << "no request containing \"" << text << "\" after the first "
                                  << from << " within " << describe(bound);
    }

    // Requests recorded after the first `from` that did not come from `local_port`.
    static std::vector<ZandorRequest> strays(const ZandorSim& zandor, std::size_t from,
                                             int local_port) {
        std::vector<ZandorRequest> found;
        const auto requests = zandor.requests();
        for (std::size_t i = from; i < requests.size(); ++i)
            if (port_of_source(requests[i].source) != local_port)
                found.push_back(requests[i]);
        return found;
    }

    static std::string describe_requests(const std::vector<ZandorRequest>& requests) {
        std::string text;
        for (const auto& request : requests)
            text += "  " + request.source + " " + request.text + "\n";
        return text;
    }
};

// ---- Connecting and closing through the check box ------------------------------------------

TEST_F(LoopSetupTest, InsertedLoopConnectsAndItsCheckBoxClosesAndReopensIt) {
    ZandorSim first, second;
    int first_port = 0, second_port = 0;
    ASSERT_TRUE(first.start_on_free_port(&first_port));
    ASSERT_TRUE(second.start_on_free_port(&second_port));
    ASSERT_TRUE(store_loop_entries({stored(1, first_port)}));
    ASSERT_TRUE(brixtel.launch());
    ASSERT_TRUE(first.wait_for_request(connstat_of(1)));

    LoopSetupDialog setup(brixtel);
    ASSERT_TRUE(setup.open());
    ASSERT_TRUE(setup.insert(entry(L"2", L"", kHost, std::to_wstring(second_port))));
    EXPECT_TRUE(has_focus(setup.dialog(), IDOK));
    ASSERT_TRUE(setup.clear_entry_fields());
    ASSERT_TRUE(setup.ok());

    ZandorRequest connstat;
    ASSERT_TRUE(second.wait_for_request(connstat_of(2), &connstat));
    const int local_port = port_of_source(connstat.source);
    EXPECT_GE(local_port, kLowestLocalPort) << connstat.source;
    EXPECT_LE(local_port, kHighestLocalPort) << connstat.source;
    EXPECT_TRUE(holds_entries({stored(1, first_port), stored(2, second_port)}));

    ASSERT_TRUE(setup.open());
    LoopLeaf leaf;
    ASSERT_TRUE(setup.wait_for_leaf(L"Loop 2", kAllPcus, kHost, second_port, &leaf, ticked));
    EXPECT_EQ(leaf.text, leaf_text(kHost, second_port, local_port));

    // Unticked and confirmed: the connection closes.
    ASSERT_TRUE(setup.set_ticked(leaf, false));
    ASSERT_TRUE(setup.ok());
    // Once the first server has seen a connstat round after OK, nothing may come from the
    // closed socket for four more rounds: a silent entry is rebuilt at the fourth, and an
    // unticked one must not be.
    ASSERT_TRUE(wait_for_request_after(first, first.requests().size(), connstat_of(1)));
    const std::size_t closed_at = second.requests().size();
    const std::size_t first_mark = first.requests().size();
    ASSERT_TRUE(poll_until(
        [&] {
            const auto requests = first.requests();
            return std::count_if(requests.begin() + static_cast<std::ptrdiff_t>(first_mark),
                                 requests.end(), [](const ZandorRequest& request) {
                                     return request.text.find(connstat_of(1)) != std::string::npos;
                                 }) >= 4;
        },
        60s, 250ms));
    const auto after_close = second.requests();
    EXPECT_EQ(after_close.size(), closed_at) << describe_requests(std::vector<ZandorRequest>(
        after_close.begin() + static_cast<std::ptrdiff_t>(closed_at), after_close.end()));
    // Unticking closes the connection for this run only: the entry stays stored.
    EXPECT_TRUE(holds_entries({stored(1, first_port), stored(2, second_port)}));

    ASSERT_TRUE(setup.open());
    ASSERT_TRUE(setup.wait_for_leaf(L"Loop 2", kAllPcus, kHost, second_port, &leaf, unticked));
    ASSERT_TRUE(setup.set_ticked(leaf, true));
    ASSERT_TRUE(setup.ok());
    ZandorRequest again;
    ASSERT_TRUE(wait_for_request_after(second, closed_at, connstat_of(2), &again));
    const int new_port = port_of_source(again.source);
    EXPECT_GE(new_port, kLowestLocalPort) << again.source;
    EXPECT_LE(new_port, kHighestLocalPort) << again.source;

    ASSERT_TRUE(setup.open());
    ASSERT_TRUE(setup.wait_for_leaf(L"Loop 2", kAllPcus, kHost, second_port, &leaf, ticked));
    EXPECT_EQ(leaf.text, leaf_text(kHost, second_port, new_port));
    ASSERT_TRUE(setup.cancel());
    EXPECT_TRUE(holds_entries({stored(1, first_port), stored(2, second_port)}));
    EXPECT_TRUE(brixtel.close());
    EXPECT_TRUE(first.stop());
    EXPECT_TRUE(second.stop());
}

// Staleness needs a second server that goes on answering: an entry turns BAD only when another
// one reports.
TEST_F(LoopSetupTest, ServerGoneSilentIsUntickedWhileTheDialogIsOpen) {
    ZandorSim first, second;
    int first_port = 0, second_port = 0;
    ASSERT_TRUE(first.start_on_free_port(&first_port));
    ASSERT_TRUE(second.start_on_free_port(&second_port));
    ASSERT_TRUE(store_loop_entries({stored(1, first_port), stored(2, second_port)}));
    ASSERT_TRUE(brixtel.launch());

    LoopSetupDialog setup(brixtel);
    ASSERT_TRUE(setup.open());
    LoopLeaf leaf;
    ASSERT_TRUE(setup.wait_for_leaf(L"Loop 1", kAllPcus, kHost, first_port, &leaf, ticked));
    ASSERT_TRUE(setup.wait_for_leaf(L"Loop 2", kAllPcus, kHost, second_port, &leaf, ticked));
    ASSERT_TRUE(second.control("silent"));
    EXPECT_TRUE(setup.wait_for_leaf(L"Loop 2", kAllPcus, kHost, second_port, &leaf, unticked, 40s));
    EXPECT_TRUE(setup.wait_for_leaf(L"Loop 1", kAllPcus, kHost, first_port, &leaf, ticked));
    ASSERT_TRUE(setup.cancel());
    EXPECT_TRUE(brixtel.close());
    EXPECT_TRUE(first.stop());
    EXPECT_TRUE(second.stop());
}

// ---- Insert, Delete and Cancel -------------------------------------------------------------

struct RefusedInsert {
    const char* name;
    LoopEntryFields fields;
    const wchar_t* message;
    int field; // where the focus goes
};

TEST_F(LoopSetupTest, InsertRefusesBadEntriesAndCancelKeepsEverything) {
    ZandorSim zandor;
    int port = 0;
    ASSERT_TRUE(zandor.start_on_free_port(&port));
    ASSERT_TRUE(store_loop_entries({stored(1, port)}));
    ASSERT_TRUE(brixtel.launch());
    ASSERT_TRUE(zandor.wait_for_request(connstat_of(1)));

    const std::string settings_before = describe_key_tree(HKEY_CURRENT_USER, kSettingsKey);
    LoopSetupDialog setup(brixtel);
    ASSERT_TRUE(setup.open());
    std::vector<TreeItem> opened;
    ASSERT_TRUE(setup.wait_for_tree(
        [](const std::vector<TreeItem>& items) { return leaves_of(items).size() == 1; }, &opened));

    const RefusedInsert refused[] = {
        {"letters in the loop", entry(L"x1", L"", kHost, L"5099"), kLoopNotNumeric,
         IDC_LOOP_SETUP_LOOP},
        {"no loop", entry(L"", L"", kHost, L"5099"), kLoopNotNumeric, IDC_LOOP_SETUP_LOOP},
        {"letters in the loop before the PCU's", entry(L"x", L"y", kHost, L"5099"), kLoopNotNumeric,
         IDC_LOOP_SETUP_LOOP},
        {"letters in the PCU", entry(L"3", L"two", kHost, L"5099"), kPcuNotNumeric,
         IDC_LOOP_SETUP_PCU},
        {"letters in the port", entry(L"3", L"", kHost, L"50x9"), kPortNotNumeric,
         IDC_LOOP_SETUP_PORT},
        {"no port", entry(L"3", L"", kHost, L""), kPortNotNumeric, IDC_LOOP_SETUP_PORT},
        {"letters in the local port", entry(L"3", L"", kHost, L"5099", L"51o0"),
         kLocalPortNotNumeric, IDC_LOOP_SETUP_LOCAL_PORT},
        {"loop 0", entry(L"0", L"", kHost, L"5099"), kLoopZero, IDC_LOOP_SETUP_LOOP},
        {"loop 0 before the missing address", entry(L"0", L"", L"", L"5099"), kLoopZero,
         IDC_LOOP_SETUP_LOOP},
        {"no address", entry(L"3", L"", L"", L"5099"), kAddressRequired, IDC_LOOP_SETUP_ADDRESS},
        {"simulation beside a live entry", entry(L"3", L"", kHost, L"0"), kSimulationBesideOthers,
         IDC_LOOP_SETUP_PORT},
    };
    for (const RefusedInsert& c : refused) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(setup.fill(c.fields));
        ASSERT_TRUE(setup.press_button(IDC_LOOP_SETUP_INSERT));
        ASSERT_TRUE(setup.answer_box(kErrorCaption, c.message, L"OK"));
        EXPECT_TRUE(has_focus(setup.dialog(), c.field));
        const auto now = setup.items();
        ASSERT_TRUE(now);
        EXPECT_EQ(outline(*now), outline(opened)) << describe_tree(*now);
    }

    // A blank PCU and PCU 0 both mean all PCUs: one "PCU All" item holds both leaves.
    LoopLeaf all_blank, all_zero, pcu_two;
    ASSERT_TRUE(setup.insert(entry(L"3", L"", kHost, L"5099"), &all_blank));
    EXPECT_TRUE(has_focus(setup.dialog(), IDOK));
    ASSERT_TRUE(setup.insert(entry(L"3", L"0", kHost, L"5098"), &all_zero));
    ASSERT_TRUE(setup.insert(entry(L"3", L"2", kHost, L"5097"), &pcu_two));
    EXPECT_EQ(all_blank.pcu, kAllPcus);
    EXPECT_EQ(all_zero.pcu, kAllPcus);
    EXPECT_EQ(pcu_two.pcu, L"PCU 2");
    auto items = setup.items();
    ASSERT_TRUE(items);
    std::vector<std::wstring> under_loop_three;
    bool in_loop_three = false;
    for (const TreeItem& item : *items) {
        if (item.depth == 0)
            in_loop_three = item.text == L"Loop 3";
        else if (item.depth == 1 && in_loop_three)
            under_loop_three.push_back(item.text);
        if (item.depth < 2) {
            EXPECT_EQ(check_of(item), 0) << narrow(item.text) << " shows a check box";
        }
    }
    std::sort(under_loop_three.begin(), under_loop_three.end());
    EXPECT_EQ(under_loop_three, (std::vector<std::wstring>{L"PCU 2", kAllPcus}))
        << describe_tree(*items);
    EXPECT_EQ(std::count_if(items->begin(), items->end(),
                            [](const TreeItem& item) { return item.text == L"Loop 3"; }),
              1)
        << describe_tree(*items);

    // Delete takes empty PCU and loop items with the leaf, and is disabled on an empty tree.
    ASSERT_TRUE(setup.delete_leaf(pcu_two));
    items = setup.items();
    ASSERT_TRUE(items);
    EXPECT_EQ(std::count_if(items->begin(), items->end(),
                            [](const TreeItem& item) { return item.text == L"PCU 2"; }),
              0)
        << describe_tree(*items);
    for (std::size_t left = leaves_of(*items).size(); left > 0; --left) {
        items = setup.items();
        ASSERT_TRUE(items && !leaves_of(*items).empty());
        ASSERT_TRUE(setup.delete_leaf(leaves_of(*items).front()));
    }
    ASSERT_TRUE(setup.wait_for_tree([](const std::vector<TreeItem>& now) { return now.empty(); }));
    EXPECT_TRUE(poll_until([&] { return !item_enabled(setup.dialog(), IDC_LOOP_SETUP_DELETE); },
                           kWaitBound));

    // A simulation entry is accepted alone, and nothing may be inserted beside it.
    ASSERT_TRUE(setup.insert(entry(L"4", L"", kHost, L"0")));
    ASSERT_TRUE(setup.fill(entry(L"5", L"", kHost, L"5099")));
    ASSERT_TRUE(setup.press_button(IDC_LOOP_SETUP_INSERT));
    ASSERT_TRUE(setup.answer_box(kErrorCaption, kSimulationBesideOthers, L"OK"));
    EXPECT_TRUE(has_focus(setup.dialog(), IDC_LOOP_SETUP_PORT));

    ASSERT_TRUE(setup.cancel());
    EXPECT_EQ(describe_key_tree(HKEY_CURRENT_USER, kSettingsKey), settings_before);
    ASSERT_TRUE(setup.open());
    std::vector<TreeItem> reopened;
    ASSERT_TRUE(setup.wait_for_tree(
        [&](const std::vector<TreeItem>& now) { return outline(now) == outline(opened); },
        &reopened));
    ASSERT_TRUE(setup.cancel());
    EXPECT_TRUE(brixtel.close());
    EXPECT_TRUE(zandor.stop());
}

// ---- OK: the port range and the entry left in the fields -----------------------------------

struct RefusedRange {
    const char* name;
    const wchar_t* lower;
    const wchar_t* upper;
    const wchar_t* message;
};

TEST_F(LoopSetupTest, OkChecksTheRangeUnlessResetAndOffersTheEntryLeftInTheFields) {
    ZandorSim zandor;
    int port = 0;
    ASSERT_TRUE(zandor.start_on_free_port(&port));
    ASSERT_TRUE(store_loop_entries({stored(1, port)}));
    ASSERT_TRUE(write_dword(HKEY_CURRENT_USER, kSettingsKey, L"PortLowerLimit", 5150));
    ASSERT_TRUE(write_dword(HKEY_CURRENT_USER, kSettingsKey, L"PortUpperLimit", 5190));
    ASSERT_TRUE(brixtel.launch());
    ASSERT_TRUE(zandor.wait_for_request(connstat_of(1)));

    LoopSetupDialog setup(brixtel);
    ASSERT_TRUE(setup.open());
    EXPECT_EQ(item_text(setup.dialog(), IDC_LOOP_SETUP_LOWER_LIMIT), L"5150");
    EXPECT_EQ(item_text(setup.dialog(), IDC_LOOP_SETUP_UPPER_LIMIT), L"5190");
    EXPECT_EQ(check_state(setup.dialog(), IDC_LOOP_SETUP_DEFAULT_RANGE),
              std::optional<int>(BST_UNCHECKED));

    for (int field : {IDC_LOOP_SETUP_LOWER_LIMIT, IDC_LOOP_SETUP_UPPER_LIMIT}) {
        SCOPED_TRACE(field);
        ASSERT_TRUE(setup.type_into(field, L"51x0"));
        ASSERT_TRUE(setup.answer_box(kFormatCaption, kNotADigit, L"OK"));
        EXPECT_TRUE(poll_until(
            [&] {
                const std::wstring text = item_text(setup.dialog(), field);
                return std::all_of(text.begin(), text.end(),
                                   [](wchar_t c) { return c >= L'0' && c <= L'9'; });
            },
            kWaitBound))
            << narrow(item_text(setup.dialog(), field));
    }

    const RefusedRange refused[] = {
        {"no lower limit", L"", L"5190", kNoLowerLimit},
        {"no upper limit", L"5150", L"", kNoUpperLimit},
        {"lower above upper", L"5191", L"5190", kLimitsReversed},
    };
    for (const RefusedRange& c : refused) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(setup.type_into(IDC_LOOP_SETUP_LOWER_LIMIT, c.lower));
        ASSERT_TRUE(setup.type_into(IDC_LOOP_SETUP_UPPER_LIMIT, c.upper));
        ASSERT_TRUE(setup.press_button(IDOK));
        ASSERT_TRUE(setup.answer_box(kFormatCaption, c.message, L"OK"));
        EXPECT_TRUE(IsWindowVisible(setup.dialog()));
        EXPECT_TRUE(has_focus(setup.dialog(), IDC_LOOP_SETUP_LOWER_LIMIT));
    }
    EXPECT_TRUE(is_number(kSettingsKey, L"PortLowerLimit", 5150));
    EXPECT_TRUE(is_number(kSettingsKey, L"PortUpperLimit", 5190));

    // The reset box skips the checks whatever the fields hold; the entry left in the fields is
    // offered, and declined.
    ASSERT_TRUE(setup.type_into(IDC_LOOP_SETUP_LOWER_LIMIT, L""));
    ASSERT_TRUE(setup.type_into(IDC_LOOP_SETUP_UPPER_LIMIT, L"1"));
    ASSERT_TRUE(set_checked(setup.dialog(), IDC_LOOP_SETUP_DEFAULT_RANGE, true));
    ASSERT_TRUE(setup.fill(entry(L"6", L"", kHost, std::to_wstring(port))));
    ASSERT_TRUE(setup.press_button(IDOK));
    ASSERT_TRUE(setup.answer_box(kLoopSetupTitle, kAddCurrentEntry, L"No"));
    ASSERT_TRUE(brixtel.wait_until_gone(setup.dialog()));
    EXPECT_TRUE(is_number(kSettingsKey, L"PortLowerLimit", 5100));
    EXPECT_TRUE(is_number(kSettingsKey, L"PortUpperLimit", 5200));
    EXPECT_TRUE(holds_entries({stored(1, port)}));

    ASSERT_TRUE(setup.open());
    EXPECT_EQ(item_text(setup.dialog(), IDC_LOOP_SETUP_LOWER_LIMIT), L"5100");
    EXPECT_EQ(item_text(setup.dialog(), IDC_LOOP_SETUP_UPPER_LIMIT), L"5200");
    EXPECT_EQ(check_state(setup.dialog(), IDC_LOOP_SETUP_DEFAULT_RANGE),
              std::optional<int>(BST_UNCHECKED));

    // Input that may be refused or taken, but never crashes the program or leaves an entry
    // the registry cannot give back whole. The long host reads as a numeric address (127.0.0.1,
    // or 127.0.0.0 when cut short), so no name server is asked.
    const std::wstring twenty_digits = L"12345678901234567890";
    const std::wstring long_host = L"127." + std::wstring(295, L'0') + L"1";
    const std::wstring zandor_port = std::to_wstring(port);
    const LoopEntryFields risky[] = {
        entry(twenty_digits, L"", kHost, zandor_port),
        entry(L"9", L"", kHost, twenty_digits),
        entry(L"10", L"", kHost, zandor_port, twenty_digits),
        entry(L"7", L"", long_host, L"5099"),
    };
    for (const LoopEntryFields& fields : risky) {
        SCOPED_TRACE(narrow(fields.loop + L" / " + fields.port + L" / " + fields.local_port +
                            L" / " + std::to_wstring(fields.address.size()) +
                            L" characters of address"));
        LoopSetupDialog::InsertOutcome outcome;
        ASSERT_TRUE(setup.try_insert(fields, &outcome));
        if (outcome.box) {
            EXPECT_EQ(outcome.box->caption, kErrorCaption) << escaped(outcome.box->text);
        }
        ASSERT_TRUE(setup.clear_entry_fields());
    }

    // The entry left in the fields is offered again, and taken.
    ASSERT_TRUE(setup.fill(entry(L"8", L"", kHost, std::to_wstring(port))));
    ASSERT_TRUE(setup.press_button(IDOK));
    ASSERT_TRUE(setup.answer_box(kLoopSetupTitle, kAddCurrentEntry, L"Yes"));
    ASSERT_TRUE(brixtel.wait_until_gone(setup.dialog())) << brixtel.describe_windows();
    ASSERT_TRUE(zandor.wait_for_request(connstat_of(8)));
    EXPECT_TRUE(loop_entries_well_formed());
    const auto texts = stored_loop_entries();
    ASSERT_TRUE(texts);
    EXPECT_NE(std::find(texts->begin(), texts->end(), stored(8, port)), texts->end());
    EXPECT_TRUE(brixtel.running());
    EXPECT_TRUE(brixtel.status_text(0)) << "the program does not answer";
    EXPECT_TRUE(brixtel.close());
    EXPECT_TRUE(zandor.stop());
}

// ---- Many removals and additions while monitoring ------------------------------------------

TEST_F(LoopSetupTest, LoopRemovedAndAddedAgainAHundredTimesLeavesOneSocket) {
    ZandorSim first, second;
    int first_port = 0, second_port = 0;
    ASSERT_TRUE(first.start_on_free_port(&first_port));
    ASSERT_TRUE(second.start_on_free_port(&second_port));
    ASSERT_TRUE(store_loop_entries({stored(1, first_port), stored(2, second_port)}));
    ASSERT_TRUE(
        store_startup_tag_list(L"Plant", {L"Module 2,1,1 Block 1 -- NO_TAG -- NO_DATABASE",
                                          L"Module 1,2,5 Block 100 -- NO_TAG -- NO_DATABASE"}));
    ASSERT_TRUE(store_update_interval(500));
    {
        UnmanagedWindows quick_closes; // two hundred dialogs close in this test
        ASSERT_TRUE(brixtel.launch());
    }
    ASSERT_TRUE(second.wait_for_request(connstat_of(2)));
    ASSERT_TRUE(brixtel.post_command(kMonitoring));
    ASSERT_TRUE(brixtel.wait_for_status_text(0, kMonitoringOn));

    const LoopEntryFields loop_two = entry(L"2", L"", kHost, std::to_wstring(second_port));
    LoopSetupDialog setup(brixtel);
    constexpr int kRounds = 100;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round + 1));
        LoopLeaf leaf;
        ASSERT_TRUE(setup.open());
        ASSERT_TRUE(setup.wait_for_leaf(L"Loop 2", kAllPcus, kHost, second_port, &leaf));
        ASSERT_TRUE(setup.delete_leaf(leaf));
        ASSERT_TRUE(setup.ok());
        ASSERT_TRUE(setup.open());
        ASSERT_TRUE(setup.insert(loop_two));
        ASSERT_TRUE(setup.clear_entry_fields());
        ASSERT_TRUE(setup.ok());
    }

    // Once the last connection reports, every request comes from its own port.
    ASSERT_TRUE(setup.open());
    LoopLeaf leaf;
    ASSERT_TRUE(setup.wait_for_leaf(L"Loop 2", kAllPcus, kHost, second_port, &leaf, ticked));
    ASSERT_TRUE(setup.cancel());
    const auto shown = parse_leaf_text(leaf.text);
    ASSERT_TRUE(shown && shown->local_port) << narrow(leaf.text);
    const std::size_t mark = second.requests().size();
    ASSERT_TRUE(wait_for_request_after(second, mark, connstat_of(2)));
    ASSERT_TRUE(wait_for_request_after(second, mark, " read output 2 01 01 1"));
    const auto stray = strays(second, mark, *shown->local_port);
    EXPECT_TRUE(stray.empty()) << "requests from other ports than " << *shown->local_port << ":\n"
                               << describe_requests(stray);

    EXPECT_TRUE(holds_entries({stored(1, first_port), stored(2, second_port)}));
    EXPECT_TRUE(brixtel.running());
    EXPECT_TRUE(brixtel.wait_for_status_text(0, kMonitoringOn));
    EXPECT_TRUE(brixtel.close());
    EXPECT_TRUE(first.stop());
    EXPECT_TRUE(second.stop());
}

} // namespace
} // namespace brixtel::e2e
