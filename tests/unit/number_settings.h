// A fixture for tests of number-to-text conversion: decimals 6, no minimum width and a full stop
// as separator during the test, the runtime's settings restored afterwards.
#pragma once
#include <gtest/gtest.h>

#include "kernel/runtime_state.h"

class NumberSettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedDecimals = runtime.decimals;
        savedWidth = runtime.minFieldWidth;
        savedSeparator = runtime.decimalSeparator;
        runtime.decimals = 6;
        runtime.minFieldWidth = 0;
        runtime.decimalSeparator = separator;
    }
    void TearDown() override
    {
        runtime.decimals = savedDecimals;
        runtime.minFieldWidth = savedWidth;
        runtime.decimalSeparator = savedSeparator;
    }
    char separator[8] = ".";
    LONG savedDecimals = 0;
    LONG savedWidth = 0;
    char* savedSeparator = nullptr;
};
