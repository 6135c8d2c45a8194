// The crash reporter's command line.
#include <gtest/gtest.h>
#include "companions/crash_reporter/reporter_args.h"

namespace {

TEST(ReporterArguments, AreTheProductTheVersionAndTheDump) {
    const ReporterArguments good =
        ParseReporterArguments({L"crash_reporter.exe", L"Quillbank recorder", L"2.8", L"C:\\d.dmp"});
    ASSERT_TRUE(good.ok);
    EXPECT_EQ(good.product, L"Quillbank recorder");
    EXPECT_EQ(good.dumpPath, L"C:\\d.dmp");
    const ReporterArguments missing = ParseReporterArguments({L"crash_reporter.exe", L"Quillbank recorder"});
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.error.find(L"needs 3 arguments but was given 1"), std::wstring::npos);
}

}  // namespace
