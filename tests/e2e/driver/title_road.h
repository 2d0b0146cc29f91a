// The files of the title road: the stand-in title library where the program finds it, titles
// of the stand-in's format, and shortcuts made through the shell's own link object.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace brixtel::e2e {

// For as long as it lives, the suite's stand-in MVCL14N.dll sits in the system folder, where
// the program loads it by name.
class StagedTitleLibrary {
  public:
    StagedTitleLibrary();
    ~StagedTitleLibrary();
    StagedTitleLibrary(const StagedTitleLibrary&) = delete;
    StagedTitleLibrary& operator=(const StagedTitleLibrary&) = delete;

    ::testing::AssertionResult install() const;

  private:
    std::filesystem::path target_;
};

// A folder of the test's own under the temporary folder (created when missing).
std::filesystem::path test_folder(const std::wstring& folder_name);

// A title the stand-in opens, whose configuration information is `information`.
std::filesystem::path write_title(const std::wstring& folder_name, const std::wstring& name,
                                  const std::string& information);

// A shortcut (.LNK) to `target` with these command-line arguments, saved at `shortcut`.
::testing::AssertionResult create_shortcut(const std::filesystem::path& shortcut,
                                           const std::filesystem::path& target,
                                           const std::wstring& arguments);

} // namespace brixtel::e2e
