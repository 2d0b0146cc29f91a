#pragma once
// The Database File Names dialog: the system's file-open dialog with the list of known tag
// database files and the Add, Delete and Close buttons below its own controls.
#include "platform/registry.h"
#include "shell/seat.h"
#include "tags/database_files.h"

#include <windows.h>

#include <functional>
#include <string>

namespace brixtel::win {

struct DatabaseFileDialogTargets {
    TagDatabases& databases;
    Seat& main_seat;          // status texts and the menu; boxes go to the dialog
    Registry& registry;       // the stored file list
    std::wstring base_folder; // the installation base folder, where the Type tool lives
    DatabaseRemovalHooks& tag_lists;
    std::function<bool()> monitoring_in_export_view;
};

// Runs the dialog over `owner`; true when a removal detached points of the current tag list,
// so the main window must be repainted.
bool run_database_file_dialog(HINSTANCE instance, HWND owner, DatabaseFileDialogTargets targets);

} // namespace brixtel::win
