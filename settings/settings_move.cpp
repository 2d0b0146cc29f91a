#include "settings/settings_move.h"

#include "platform/path.h"

#include "settings/reg_file_rewrite.h"
#include "settings/registry_values.h"
#include "settings/settings.h"

#include <algorithm>

namespace brixtel {
namespace {

constexpr unsigned kBoxFlags = mb::Ok | mb::IconExclamation;

bool key_exists(Registry& registry, RegistryRoot root, std::wstring_view path) {
    return registry.open(root, path, RegistryAccess::Read) != nullptr;
}

// Our installer writes the machine-wide folder into the 64-bit programs' registry; a 32-bit
// installer (or an older one) leaves it in the 32-bit programs' one, which a 64-bit program
// does not see by itself. Either will do; the 64-bit one wins.
std::optional<std::wstring> machine_install_dir(Registry& registry) {
    for (const RegistryView view : {RegistryView::Bits64, RegistryView::Bits32}) {
        auto machine = registry.open_in_view(RegistryRoot::LocalMachine, keys::Maker,
                                             RegistryAccess::Read, view);
        if (!machine)
            continue;
        if (auto folder = query_text(*machine, values::InstallDir))
            return folder;
    }
    return std::nullopt;
}

// The installation folder is the one setting that moves even without machine-wide settings.
void copy_install_dir(Registry& registry) {
    const auto folder = machine_install_dir(registry);
    if (!folder)
        return;
    auto user = registry.create(RegistryRoot::CurrentUser, keys::Maker, RegistryAccess::ReadWrite);
    if (user.key)
        write_text(*user.key, values::InstallDir, *folder);
}

std::optional<std::wstring> choose_export_file(MoveSystem& system) {
    if (const auto temp = system.temp_folder(); temp && system.folder_exists(*temp))
        return join_path(*temp, kExportFileName);
    const auto windows = system.windows_folder();
    if (!windows || !system.folder_exists(*windows))
        return std::nullopt;
    const std::wstring temp = join_path(*windows, L"temp");
    if (!system.folder_exists(temp))
        system.create_folder(temp);
    const std::wstring file = join_path(temp, kExportFileName);
    if (system.file_exists(file))
        system.delete_file(file);
    return file;
}

bool succeeded(const ProcessOutcome& outcome) {
    return outcome.ran && outcome.exit_code == 0;
}

// Rewrites the export beside itself and imports the result; the caller removes the export.
void rewrite_and_import(Seat& seat, MoveSystem& system, const std::wstring& editor,
                        const std::wstring& windows, const std::wstring& export_file) {
    const auto content = system.read_file(export_file);
    if (!content) {
        seat.message_box(ids::RegFileOpenFailed, ids::ImportFailed, kBoxFlags);
        return;
    }
    const std::size_t tested = std::min(content->size(), kTextTestBytes);
    const bool utf16 = system.is_utf16_text(std::span<const std::uint8_t>(content->data(), tested));
    const std::wstring folder = export_file.substr(0, export_file.find_last_of(L'\\') + 1);
    const std::wstring rewritten = folder + std::wstring(kRewrittenFileName);
    if (!system.write_file(rewritten, rewrite_reg_file(*content, utf16))) {
        seat.message_box(ids::TmpFileOpenFailed, ids::ImportFailed, kBoxFlags);
        return;
    }
    if (system.file_exists(rewritten)) {
        system.delete_file(export_file);
        system.rename_file(rewritten, export_file);
        if (system.file_exists(rewritten))
            system.delete_file(rewritten);
    }
    const std::wstring import = quoted_if_blank(editor) + L" /S " + quoted_if_blank(export_file);
    if (!succeeded(system.run(import, windows)))
        seat.message_box(ids::SettingsImportFailed, ids::ImportFailed, kBoxFlags, {export_file});
}

} // namespace

void move_machine_settings(Registry& registry, Seat& seat, MoveSystem& system) {
    const bool machine_settings = key_exists(registry, RegistryRoot::LocalMachine, keys::Settings);
    if (key_exists(registry, RegistryRoot::CurrentUser, keys::Settings))
        return;
    copy_install_dir(registry);
    if (!machine_settings)
        return;

    const auto export_file = choose_export_file(system);
    if (!export_file) {
        seat.message_box(ids::TemporaryFolderUnknown, ids::ExportFailed, kBoxFlags);
        return;
    }
    const std::wstring windows = system.windows_folder().value_or(L"");
    const std::wstring editor = join_path(windows, kRegistryEditor);
    if (windows.empty() || !system.file_exists(editor)) {
        seat.message_box(ids::RegeditNotFound, ids::ExportFailed, kBoxFlags, {editor});
        return;
    }
    const std::wstring export_command = quoted_if_blank(editor) + L" /e " +
                                        quoted_if_blank(*export_file) + L" \"" +
                                        std::wstring(kMachineSettingsKeyName) + L"\"";
    if (!succeeded(system.run(export_command, windows))) {
        seat.message_box(ids::RegeditExportFailed, ids::ExportFailed, kBoxFlags);
    } else if (!system.file_exists(*export_file)) {
        seat.message_box(ids::RegeditProducedNoFile, ids::ExportFailed, kBoxFlags);
        return;
    } else {
        rewrite_and_import(seat, system, editor, windows, *export_file);
    }
    if (system.file_exists(*export_file))
        system.delete_file(*export_file);
}

} // namespace brixtel
