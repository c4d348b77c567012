#pragma once
#include "platform/application.h"
#include <gtest/gtest.h>

// A test with the seam active: message boxes are answered and recorded, beeps
// counted and modal forms driven, and nothing is shown. Each test starts with
// a fresh seam and leaves none behind.
class SeamTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testSeam() = TestSeam{};
        testSeam().active = true;
    }
    void TearDown() override { testSeam() = TestSeam{}; }
};
