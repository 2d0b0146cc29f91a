#include "tests/e2e/driver/tag_lists.h"

#include "tests/e2e/driver/logging.h"
#include "tests/e2e/driver/registry.h"
#include "tests/e2e/driver/remote_controls.h"
#include "tests/e2e/driver/wait.h"
#include "tests/e2e/driver/window_query.h"

#include <cstdio>
#include <map>
#include <sstream>

namespace brixtel::e2e {

namespace {

using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

// Bounds of the registry readings, so a damaged key cannot stall a test.
constexpr int kMostLists = 1000;
constexpr DWORD kMostEntries = 10000;

// The file-name box of the system's explorer-style dialog: this Wine nests an edit in a combo
// box in a ComboBoxEx32 (cmb13); older layouts have a plain edit (edt1).
constexpr int kFileNameCombo = 0x47C;
constexpr int kFileNameEdit = 0x480;

std::string hex_bytes(const BYTE* data, DWORD size) {
    std::string text;
    char digits[4];
    for (DWORD i = 0; i < size; ++i) {
        std::snprintf(digits, sizeof digits, "%02X", data[i]);
        text += digits;
    }
    return text;
}

void describe_values(HKEY key, const std::wstring& prefix,
                     std::map<std::wstring, std::string>* lines) {
    for (DWORD index = 0; index < 100000; ++index) {
        wchar_t name[16384];
        DWORD name_size = static_cast<DWORD>(std::size(name));
        DWORD type = 0;
        DWORD data_size = 0;
        if (RegEnumValueW(key, index, name, &name_size, nullptr, &type, nullptr, &data_size) !=
            ERROR_SUCCESS)
            return;
        std::vector<BYTE> data(data_size + 2, 0);
        name_size = static_cast<DWORD>(std::size(name));
        if (RegEnumValueW(key, index, name, &name_size, nullptr, &type, data.data(), &data_size) !=
            ERROR_SUCCESS)
            return;
        std::string shown;
        if (type == REG_SZ || type == REG_EXPAND_SZ)
            shown = "text \"" + narrow(reinterpret_cast<const wchar_t*>(data.data())) + "\" (" +
                    std::to_string(data_size) + " bytes)";
        else if (type == REG_DWORD && data_size == sizeof(DWORD))
            shown = "number " + std::to_string(*reinterpret_cast<const DWORD*>(data.data()));
        else
            shown = "type " + std::to_string(type) + " " + hex_bytes(data.data(), data_size);
        (*lines)[prefix + L"\\" + name] = shown;
    }
}

void describe_tree(HKEY root, const std::wstring& path, const std::wstring& prefix,
                   std::map<std::wstring, std::string>* lines, int depth) {
    HKEY key = nullptr;
    if (depth > 8 || RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    (*lines)[prefix + L"\\"] = "key";
    describe_values(key, prefix, lines);
    std::vector<std::wstring> subkeys;
    for (DWORD index = 0; index < 100000; ++index) {
        wchar_t name[1024];
        DWORD size = static_cast<DWORD>(std::size(name));
        if (RegEnumKeyExW(key, index, name, &size, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        subkeys.emplace_back(name, size);
    }
    RegCloseKey(key);
    for (const std::wstring& subkey : subkeys)
        describe_tree(root, path + L"\\" + subkey, prefix + L"\\" + subkey, lines, depth + 1);
}

HWND file_name_box_of(HWND dialog) {
    if (HWND combo = GetDlgItem(dialog, kFileNameCombo); combo && IsWindowVisible(combo))
        return combo;
    HWND edit = GetDlgItem(dialog, kFileNameEdit);
    return edit && IsWindowVisible(edit) ? edit : nullptr;
}

AssertionResult clicked(HWND dialog, int id) {
    if (click(dialog, id))
        return AssertionSuccess();
    return AssertionFailure() << "button " << id << " cannot be clicked (enabled "
                              << item_enabled(dialog, id) << ", visible "
                              << item_visible(dialog, id) << ")";
}

} // namespace

// ---- Lists in the registry -----------------------------------------------------------------

std::wstring list_key(int number) {
    return std::wstring(kTagsKey) + L"\\List" + std::to_wstring(number);
}

AssertionResult store_tag_lists(const std::vector<SavedList>& lists,
                                const std::wstring& last_loaded) {
    for (std::size_t n = 0; n < lists.size(); ++n) {
        const std::wstring key = list_key(static_cast<int>(n + 1));
        const SavedList& list = lists[n];
        bool ok = write_string(HKEY_CURRENT_USER, key, L"name", list.name);
        for (std::size_t i = 0; ok && i < list.entries.size(); ++i)
            ok = write_string(HKEY_CURRENT_USER, key, L"TagLookUp" + std::to_wstring(i + 1),
                              list.entries[i]);
        ok = ok && write_dword(HKEY_CURRENT_USER, key, L"NumberofTags",
                               static_cast<DWORD>(list.entries.size()));
        if (!ok)
            return AssertionFailure() << "cannot store " << narrow(key);
    }
    if (!write_string(HKEY_CURRENT_USER, kSettingsKey, L"LastLoaded", last_loaded))
        return AssertionFailure() << "cannot store LastLoaded";
    return AssertionSuccess();
}

std::vector<SavedList> read_tag_lists() {
    std::vector<SavedList> lists;
    for (int n = 1; n <= kMostLists; ++n) {
        const std::wstring key = list_key(n);
        if (!key_exists(HKEY_CURRENT_USER, key))
            break;
        SavedList list;
        list.name = read_string(HKEY_CURRENT_USER, key, L"name").value_or(L"<no name>");
        const DWORD count = read_dword(HKEY_CURRENT_USER, key, L"NumberofTags").value_or(0);
        for (DWORD i = 1; i <= count && i <= kMostEntries; ++i)
            list.entries.push_back(
                read_string(HKEY_CURRENT_USER, key, L"TagLookUp" + std::to_wstring(i))
                    .value_or(L"<missing>"));
        lists.push_back(std::move(list));
    }
    return lists;
}

std::string describe_lists(const std::vector<SavedList>& lists) {
    std::ostringstream text;
    for (std::size_t n = 0; n < lists.size(); ++n) {
        text << "List" << n + 1 << " \"" << narrow(lists[n].name) << "\"\n";
        for (const std::wstring& entry : lists[n].entries)
            text << "    " << narrow(entry) << "\n";
    }
    return lists.empty() ? "no lists\n" : text.str();
}

AssertionResult wait_for_tag_lists(const std::vector<SavedList>& expected) {
    std::vector<SavedList> seen;
    if (poll_until([&] { return (seen = read_tag_lists()) == expected; }, kWaitBound, 50ms))
        return AssertionSuccess();
    return AssertionFailure() << "the registry holds\n"
                              << describe_lists(seen) << "instead of\n"
                              << describe_lists(expected);
}

std::string describe_key_tree(HKEY root, const std::wstring& path) {
    std::map<std::wstring, std::string> lines;
    describe_tree(root, path, L"", &lines, 0);
    std::string text;
    for (const auto& [name, value] : lines)
        text += narrow(name) + " = " + value + "\n";
    return text.empty() ? "no key\n" : text;
}

// ---- Texts ---------------------------------------------------------------------------------

std::wstring as_shown(std::wstring_view text) {
    std::wstring lines;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n'))
            lines += text[i];
    return lines;
}

std::string escaped(std::wstring_view text) {
    std::string out;
    for (wchar_t c : text) {
        if (c == L'\n')
            out += "\\n";
        else if (c == L'\r')
            out += "\\r";
        else if (c < 0x20 || c > 0x7E)
            out += "\\x{" + std::to_string(static_cast<unsigned>(c)) + "}";
        else
            out += static_cast<char>(c);
    }
    return out;
}

AssertionResult answer_message(const BrixtelProcess& program, std::wstring_view caption,
                               std::wstring_view button, std::optional<std::wstring_view> text) {
    HWND box = nullptr;
    if (AssertionResult found = program.wait_for_window(caption, &box); !found)
        return found;
    const std::optional<MessageBoxContent> content = read_message_box(box);
    if (!content)
        return AssertionFailure() << "the box \"" << narrow(caption)
                                  << "\" went before it was read";
    if (text && as_shown(content->text) != as_shown(*text))
        return AssertionFailure() << "the box \"" << narrow(caption) << "\" says\n  "
                                  << escaped(content->text) << "\ninstead of\n  " << escaped(*text);
    if (!press_message_box_button(box, button))
        return AssertionFailure() << "the box \"" << narrow(caption) << "\" has no button "
                                  << narrow(button);
    return program.wait_until_gone(box);
}

// ---- The Tag list dialog ---------------------------------------------------------------------

const wchar_t* tag_list_title(TagListMode mode) {
    switch (mode) {
    case TagListMode::load:
        return L"Load Tag List";
    case TagListMode::save:
        return L"Save Tag List";
    case TagListMode::erase:
        return L"Delete Tag List";
    }
    return L"";
}

AssertionResult TagListDialog::open(TagListMode mode) {
    static constexpr UINT commands[] = {kLoadTagListCommand, kSaveTagListCommand,
                                        kDeleteTagListCommand};
    if (!program_.post_command(commands[static_cast<int>(mode)]))
        return AssertionFailure() << "cannot post the command";
    return wait_for(mode);
}

AssertionResult TagListDialog::wait_for(TagListMode mode) {
    dialog_ = nullptr;
    if (AssertionResult found = program_.wait_for_window(tag_list_title(mode), &dialog_); !found)
        return found;
    // The list is filled while the dialog starts: wait until it shows its first entries.
    if (!poll_until([&] { return names().has_value(); }, kWaitBound))
        return AssertionFailure() << "the dialog has no list of saved names";
    return AssertionSuccess();
}

std::optional<std::vector<std::wstring>> TagListDialog::names() const {
    return list_box_items(dialog_item(dialog_, IDC_TAG_LIST_SAVED));
}

std::wstring TagListDialog::selected_name() const {
    HWND list = dialog_item(dialog_, IDC_TAG_LIST_SAVED);
    const auto index = send_bounded(list, LB_GETCURSEL);
    const auto all = names();
    if (!index || !all || *index < 0 || static_cast<std::size_t>(*index) >= all->size())
        return {};
    return (*all)[static_cast<std::size_t>(*index)];
}

AssertionResult TagListDialog::select(std::wstring_view name) const {
    const auto all = names();
    if (!all)
        return AssertionFailure() << "cannot read the saved names";
    for (std::size_t i = 0; i < all->size(); ++i)
        if ((*all)[i] == name) {
            if (!select_list_box_item(dialog_, IDC_TAG_LIST_SAVED, static_cast<int>(i)))
                return AssertionFailure() << "cannot select " << narrow(name);
            return AssertionSuccess();
        }
    std::ostringstream shown;
    for (const std::wstring& entry : *all)
        shown << " \"" << narrow(entry) << "\"";
    return AssertionFailure() << "no entry \"" << narrow(name) << "\" among" << shown.str();
}

AssertionResult TagListDialog::type_save_as(std::wstring_view name) const {
    if (!set_item_text(dialog_, IDC_TAG_LIST_SAVE_AS, name))
        return AssertionFailure() << "the Save As field did not take the text";
    return AssertionSuccess();
}

AssertionResult TagListDialog::press(int id) const {
    return clicked(dialog_, id);
}

AssertionResult TagListDialog::review(std::wstring* text) const {
    if (AssertionResult pressed = press(IDC_TAG_LIST_REVIEW); !pressed)
        return pressed;
    HWND review = nullptr;
    if (AssertionResult found = program_.wait_for_window(kReviewTitle, &review); !found)
        return found;
    *text = item_text(review, IDC_TAG_REVIEW_TEXT);
    if (AssertionResult pressed = clicked(review, IDOK); !pressed)
        return pressed;
    return program_.wait_until_gone(review);
}

AssertionResult TagListDialog::wait_until_closed() const {
    if (AssertionResult gone = program_.wait_until_gone(dialog_); !gone)
        return gone << "; open: " << program_.describe_windows();
    return AssertionSuccess();
}

// ---- The system's file dialogs ---------------------------------------------------------------

AssertionResult FileDialog::wait_for(const BrixtelProcess& program) {
    program_ = &program;
    dialog_ = nullptr;
    if (poll_until(
            [&] {
                for (HWND window : top_windows_of(program.process_id()))
                    if (IsWindowVisible(window) && window_class(window) == kDialogClass &&
                        file_name_box_of(window)) {
                        dialog_ = window;
                        return true;
                    }
                return false;
            },
            kWaitBound))
        return AssertionSuccess();
    return AssertionFailure() << "no file dialog; open: " << program.describe_windows();
}

std::wstring FileDialog::title() const {
    return window_text(dialog_);
}

HWND FileDialog::file_name_box() const {
    return file_name_box_of(dialog_);
}

std::wstring FileDialog::file_name() const {
    HWND box = file_name_box();
    return box ? window_text(box) : std::wstring();
}

AssertionResult FileDialog::accept(std::wstring_view name) const {
    HWND box = file_name_box();
    const std::wstring copy(name);
    const auto set = box ? send_bounded(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str()))
                         : std::nullopt;
    if (!set || !*set)
        return AssertionFailure() << "the file-name box did not take " << narrow(name);
    if (AssertionResult pressed = clicked(dialog_, IDOK); !pressed)
        return pressed;
    if (AssertionResult gone = program_->wait_until_gone(dialog_); !gone)
        return gone << "; open: " << program_->describe_windows();
    return AssertionSuccess();
}

AssertionResult FileDialog::cancel() const {
    if (AssertionResult pressed = clicked(dialog_, IDCANCEL); !pressed)
        return pressed;
    return program_->wait_until_gone(dialog_);
}

// ---- Import ----------------------------------------------------------------------------------

AssertionResult start_import(const BrixtelProcess& program, std::wstring_view file,
                             std::wstring_view name, HWND* dialog) {
    if (!program.post_command(kImportTagListCommand))
        return AssertionFailure() << "cannot post the command";
    HWND import = nullptr;
    if (AssertionResult found = program.wait_for_window(kImportTitle, &import); !found)
        return found;
    if (dialog)
        *dialog = import;
    if (!set_item_text(import, IDC_IMPORT_FILE, file) ||
        !set_item_text(import, IDC_IMPORT_NAME, name))
        return AssertionFailure() << "the import fields did not take the texts";
    return clicked(import, IDOK);
}

AssertionResult PointsExceeded::wait_for(const BrixtelProcess& program) {
    return program.wait_for_window(kPointsExceededTitle, &dialog_);
}

std::optional<std::vector<std::wstring>> PointsExceeded::entries() const {
    return list_box_items(dialog_item(dialog_, IDC_EXCEEDED_ENTRIES));
}

std::wstring PointsExceeded::total() const {
    return item_text(dialog_, IDC_EXCEEDED_TOTAL);
}

AssertionResult PointsExceeded::remove(const std::vector<int>& rows) const {
    HWND list = dialog_item(dialog_, IDC_EXCEEDED_ENTRIES);
    const auto before = entries();
    if (!list || !before)
        return AssertionFailure() << "cannot read the entries";
    // Only the wanted rows selected, as a user's clicks with Ctrl leave them.
    if (!send_bounded(list, LB_SETSEL, FALSE, -1))
        return AssertionFailure() << "cannot clear the selection";
    for (int row : rows) {
        const auto set = send_bounded(list, LB_SETSEL, TRUE, row);
        if (!set || *set == LB_ERR)
            return AssertionFailure() << "cannot select row " << row;
    }
    PostMessageW(dialog_, WM_COMMAND, MAKEWPARAM(IDC_EXCEEDED_ENTRIES, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    if (AssertionResult pressed = clicked(dialog_, IDC_EXCEEDED_REMOVE); !pressed)
        return pressed;
    const std::size_t wanted = before->size() - rows.size();
    std::optional<std::vector<std::wstring>> after;
    if (poll_until([&] { return (after = entries()) && after->size() == wanted; }, kWaitBound))
        return AssertionSuccess();
    return AssertionFailure() << "the list holds " << (after ? after->size() : 0)
                              << " entries after Remove, not " << wanted;
}

AssertionResult PointsExceeded::press(int id) const {
    return clicked(dialog_, id);
}

// ---- Files -------------------------------------------------------------------------------------

AssertionResult wait_for_file(const std::wstring& path, std::string_view expected) {
    std::optional<std::string> read;
    if (poll_until([&] { return (read = read_file_bytes(path)) == expected; }, kWaitBound))
        return AssertionSuccess();
    if (!read)
        return AssertionFailure() << "no file " << narrow(path);
    const auto spelt = [](std::string_view bytes) {
        std::wstring wide;
        for (char c : bytes)
            wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
        return escaped(wide);
    };
    return AssertionFailure() << narrow(path) << " holds\n  " << spelt(*read) << "\ninstead of\n  "
                              << spelt(expected);
}

std::string crlf_text(const std::vector<std::wstring>& lines) {
    std::string text;
    for (const std::wstring& line : lines)
        text += narrow(line) + "\r\n";
    return text;
}

} // namespace brixtel::e2e
