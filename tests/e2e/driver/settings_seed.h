// Settings a test starts the program with, written the way the program stores them. Writing
// under the Settings key makes the start a normal one rather than a first start.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace brixtel::e2e {

// "LoopEntry1" ... with NumberOfLoopEntries, e.g. {L"1.2 5401 127.0.0.1", L"4 127.0.0.1"}.
::testing::AssertionResult store_loop_entries(const std::vector<std::wstring>& texts);

// A saved tag list as List1, named as the list loaded last, so start-up loads it; entries in
// the stored form, e.g. L"Module 1,2,5 Block 100 -- NO_TAG -- NO_DATABASE".
::testing::AssertionResult store_startup_tag_list(const std::wstring& name,
                                                  const std::vector<std::wstring>& entries);

// The update interval (Frequency) in milliseconds.
::testing::AssertionResult store_update_interval(DWORD milliseconds);

// "Brixtel.ini" in the Windows folder, where a first start finds it, holding `content` as it
// stands (e.g. "[Brixtel]\r\nLoopEntry1=4 127.0.0.1\r\n"). Without any Settings key written,
// the start is a first start.
::testing::AssertionResult seed_initialisation_file(std::string_view content);

} // namespace brixtel::e2e
