// The fixture of the small controls' tests: a host window for one control, in a process
// whose module is set up to load the bitmaps.
#pragma once
#include <gtest/gtest.h>
#include "framework/app_module.h"
#include "test_support.h"

class SmallControls : public ::testing::Test {
protected:
    void SetUp() override {
        g_module.Init(GetModuleHandleW(nullptr));
        ASSERT_NE(host.CreateHost(), nullptr);
    }
    test::HostWindow host;
};
