// Base of every end-to-end test: each test starts with no copy of the program running and
// without the program's settings, so tests never see each other's state.
#pragma once

#include "tests/e2e/driver/brixtel_process.h"

#include <gtest/gtest.h>

#include <string_view>

namespace brixtel::e2e {

// Saves a picture of the screen as `name`.png among the run's artefacts (BRIXTEL_E2E_ARTIFACTS,
// set by the runner); false when there is no such folder or no picture.
bool save_artifact_screenshot(std::wstring_view name);

class BrixtelTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    BrixtelProcess brixtel;
};

} // namespace brixtel::e2e
