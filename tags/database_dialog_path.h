#pragma once
// The path the Database File Names dialog adds: the dialog's current folder joined with the
// text of its file-name box.
#include <string>
#include <string_view>

namespace brixtel {

// A name that already names its drive ("C:\plant.dbf", "C:plant.dbf") or share
// ("\\server\tags\plant.csv") is taken as it stands: joined to the folder it would name
// nothing. Anything else is a name inside `folder`.
std::wstring database_dialog_path(std::wstring_view folder, std::wstring_view file_text);

} // namespace brixtel
