#pragma once
// Whole 8-bit text files the user names: tag list files and Excel DDE files. The text is in the
// ANSI code page on Windows (what the runtime's text mode would write, and what a spreadsheet
// opening the file expects; a character the code page lacks becomes its default character) and
// UTF-8 elsewhere, never with a byte-order mark. Line ends are the caller's, so the bytes are the
// same on both builds.
#include <optional>
#include <string>
#include <string_view>

namespace brixtel {

// Creates the file, or empties an existing one, and writes the text. False when the file cannot
// be opened (a read-only file is not made writable); a write that fails after that is not
// reported.
bool write_text_file(std::wstring_view path, std::wstring_view text);

// The file's text, decoded the way it is written (elsewhere a byte that is not part of valid
// UTF-8 reads as the character of the same number); nothing when it cannot be opened or read.
std::optional<std::wstring> read_text_file(std::wstring_view path);

// Whether a file or folder of this name exists.
bool path_exists(std::wstring_view path);

} // namespace brixtel
