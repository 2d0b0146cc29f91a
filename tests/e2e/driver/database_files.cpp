#include "tests/e2e/driver/database_files.h"

#include "tests/e2e/driver/registry.h"
#include "tests/e2e/driver/remote_controls.h"
#include "tests/e2e/driver/wait.h"
#include "tests/e2e/driver/window_query.h"

#include <sstream>

namespace brixtel::e2e {

namespace {

using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

// The file-name box of the system's explorer-style dialog: an edit inside a combo box, or a
// plain edit control in older layouts.
constexpr int kFileNameCombo = 0x47C; // cmb13
constexpr int kFileNameEdit = 0x480;  // edt1

// The program's template: the child dialog that holds the database list.
HWND template_child(HWND dialog) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (window_class(child) == kDialogClass && GetDlgItem(child, IDC_DATABASE_FILE_LIST))
            return child;
    return nullptr;
}

} // namespace

std::wstring e2e_databases_folder() {
    wchar_t folder[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"BRIXTEL_E2E_DATABASES", folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(folder) : std::wstring();
}

ScratchFolder::ScratchFolder(std::wstring_view name) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + std::wstring(name) + L" " + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
    for (const std::wstring& file : files_)
        DeleteFileW(file.c_str());
    RemoveDirectoryW(path_.c_str());
}

std::wstring ScratchFolder::write(std::wstring_view name, std::string_view bytes) {
    const std::wstring path = path_ + L"\\" + std::wstring(name);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
    files_.push_back(path);
    return path;
}

AssertionResult DatabaseFileDialog::open(BrixtelProcess& brixtel) {
    if (!brixtel.post_command(kDatabaseFileNamesCommand))
        return AssertionFailure() << "could not post command 40009";
    if (AssertionResult found = brixtel.wait_for_window(kDatabaseDialogTitle, &dialog_); !found)
        return found;
    if (!poll_until([&] { return (controls_ = template_child(dialog_)) != nullptr; }, kWaitBound))
        return AssertionFailure() << "the dialog has no database list; " << describe();
    return AssertionSuccess();
}

HWND DatabaseFileDialog::file_name_box() const {
    // This Wine nests it: ComboBoxEx32, ComboBox, Edit.
    if (HWND combo = GetDlgItem(dialog_, kFileNameCombo); combo && IsWindowVisible(combo)) {
        for (HWND child : child_windows(combo))
            if (window_class(child) == L"Edit")
                return child;
    }
    HWND edit = GetDlgItem(dialog_, kFileNameEdit);
    return edit && IsWindowVisible(edit) ? edit : nullptr;
}

AssertionResult DatabaseFileDialog::type_file_name(std::wstring_view text) const {
    HWND box = file_name_box();
    if (!box)
        return AssertionFailure() << "no file-name box; " << describe();
    const std::wstring copy(text);
    const auto set = send_bounded(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str()));
    if (!set || !*set)
        return AssertionFailure() << "the file-name box did not take the text";
    return AssertionSuccess();
}

AssertionResult DatabaseFileDialog::press_enter() const {
    HWND box = file_name_box();
    if (!box)
        return AssertionFailure() << "no file-name box; " << describe();
    if (!PostMessageW(box, WM_KEYDOWN, VK_RETURN, 1) ||
        !PostMessageW(box, WM_KEYUP, VK_RETURN, 0xC0000001))
        return AssertionFailure() << "could not post Enter";
    return AssertionSuccess();
}

AssertionResult DatabaseFileDialog::press(int button) const {
    if (!click(controls_, button))
        return AssertionFailure() << "button " << button << " cannot be clicked (enabled "
                                  << item_enabled(controls_, button) << ", visible "
                                  << item_visible(controls_, button) << ")";
    return AssertionSuccess();
}

AssertionResult DatabaseFileDialog::select(int index) const {
    if (!select_list_box_item(controls_, IDC_DATABASE_FILE_LIST, index))
        return AssertionFailure() << "cannot select item " << index;
    return AssertionSuccess();
}

std::optional<std::vector<std::wstring>> DatabaseFileDialog::listed_files() const {
    return list_box_items(GetDlgItem(controls_, IDC_DATABASE_FILE_LIST));
}

std::optional<int> DatabaseFileDialog::selected_index() const {
    const auto index = send_bounded(GetDlgItem(controls_, IDC_DATABASE_FILE_LIST), LB_GETCURSEL);
    if (!index)
        return std::nullopt;
    return static_cast<int>(*index);
}

AssertionResult DatabaseFileDialog::wait_for_files(const std::vector<std::wstring>& paths) const {
    std::optional<std::vector<std::wstring>> listed;
    if (poll_until([&] { return (listed = listed_files()) == paths; }, kWaitBound))
        return AssertionSuccess();
    std::ostringstream shown;
    if (listed)
        for (const std::wstring& path : *listed)
            shown << " \"" << narrow(path) << "\"";
    return AssertionFailure() << "the list shows" << shown.str();
}

std::string DatabaseFileDialog::describe() const {
    std::ostringstream text;
    text << "children:";
    for (HWND child : child_windows(dialog_))
        text << "\n  " << narrow(window_class(child)) << " " << GetDlgCtrlID(child) << " '"
             << narrow(window_text(child)) << "'" << (IsWindowVisible(child) ? "" : " hidden");
    return text.str();
}

AssertionResult answer_box(BrixtelProcess& brixtel, std::wstring_view caption,
                           std::wstring_view button, std::wstring* text) {
    HWND box = nullptr;
    if (AssertionResult found = brixtel.wait_for_window(caption, &box); !found)
        return found;
    const std::optional<MessageBoxContent> content = read_message_box(box);
    if (!content)
        return AssertionFailure() << "cannot read the box " << narrow(caption);
    if (text)
        *text = content->text;
    if (!press_message_box_button(box, button))
        return AssertionFailure() << "the box " << narrow(caption) << " has no button "
                                  << narrow(button);
    return brixtel.wait_until_gone(box);
}

std::optional<std::vector<std::wstring>> stored_database_files() {
    const auto count = read_dword(HKEY_CURRENT_USER, kDatabasesKey, L"DatabaseFiles");
    if (!count)
        return std::nullopt;
    std::vector<std::wstring> paths;
    for (DWORD i = 1; i <= *count && i <= 100; ++i)
        paths.push_back(
            read_string(HKEY_CURRENT_USER, kDatabasesKey, L"Database" + std::to_wstring(i))
                .value_or(L"<missing>"));
    return paths;
}

AssertionResult store_database_files(const std::vector<std::wstring>& paths) {
    for (std::size_t i = 0; i < paths.size(); ++i)
        if (!write_string(HKEY_CURRENT_USER, kDatabasesKey, L"Database" + std::to_wstring(i + 1),
                          paths[i]))
            return AssertionFailure() << "cannot store Database" << i + 1;
    if (!write_dword(HKEY_CURRENT_USER, kDatabasesKey, L"DatabaseFiles",
                     static_cast<DWORD>(paths.size())))
        return AssertionFailure() << "cannot store DatabaseFiles";
    return AssertionSuccess();
}

} // namespace brixtel::e2e
