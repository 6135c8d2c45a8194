// Where the crash reporter sends a dump.
#include <gtest/gtest.h>
#include "companions/crash_reporter/report_address.h"
#include "settings/settings.h"
#include "test_registry.h"

namespace {

TEST(CrashReportAddress, IsTheServiceUnlessTheRegistryNamesAnotherCollector) {
    TestRegistry registry;
    EXPECT_EQ(CrashReportAddress(), L"http://" + g_settings.m_serverHost + L"/crash-report.php");
    registry.SetString(kRecorderKey, L"CrashReportUrl", L"https://crashes.example.org/submit");
    EXPECT_EQ(CrashReportAddress(), L"https://crashes.example.org/submit");
}

}  // namespace
