// The recorder answers the crash-test message only when started with the tests' variable.
#include <gtest/gtest.h>
#include "../../recorder_app/app/crash/crash_test_trigger.h"
#include "companion_e2e_support.h"

using namespace e2e;

namespace {

TEST(CrashTrigger, WithoutTheTestsRequestTheMessageDoesNothing) {
    RecorderApp app;
    SetEnvironmentVariableW(kCrashTestVariable, nullptr);
    const bool started = app.Start();
    SetEnvironmentVariableW(kCrashTestVariable, L"1");
    ASSERT_TRUE(started);
    const UINT message = RegisterWindowMessageW(kCrashTestMessageName);
    PostMessageW(app.MainWindow(), message, kCrashTestMagic, kCrashOnMainThread);
    PostMessageW(app.MainWindow(), message, kCrashTestMagic, kCrashInWindowProcedure);
    // Posted messages are handled in order: had either crashed, the question would be up and
    // the close would never be handled.
    PostMessageW(app.MainWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(app.WaitForExit(), 0u);
    const auto lines = app.LogLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), L"Application finished.");
}

}  // namespace
