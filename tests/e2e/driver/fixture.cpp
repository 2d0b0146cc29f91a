#include "tests/e2e/driver/fixture.h"

#include "tests/e2e/driver/registry.h"

#include <iostream>

namespace brixtel::e2e {

void BrixtelTest::SetUp() {
    end_processes_named(kProgramName);
    ASSERT_TRUE(delete_key_tree(HKEY_CURRENT_USER, kMakerKey))
        << "cannot delete HKEY_CURRENT_USER\\Software\\Quorrel";
}

void BrixtelTest::TearDown() {
    if (HasFailure() && brixtel.running())
        std::cerr << "windows of the program at failure: " << brixtel.describe_windows() << "\n";
    brixtel.kill();
    end_processes_named(kProgramName);
}

} // namespace brixtel::e2e
