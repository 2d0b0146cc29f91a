// Base of every end-to-end test: each test starts with no copy of the program running and
// without the program's settings, so tests never see each other's state.
#pragma once

#include "tests/e2e/driver/brixtel_process.h"

#include <gtest/gtest.h>

namespace brixtel::e2e {

class BrixtelTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    BrixtelProcess brixtel;
};

} // namespace brixtel::e2e
