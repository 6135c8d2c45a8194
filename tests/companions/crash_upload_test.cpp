// The crash report as it reaches a collector, where it goes, and the reporter's arguments.
#include <gtest/gtest.h>
#include <windows.h>
#include "standin_client.h"
#include "test_registry.h"
#include "companions/crash_reporter/crash_upload.h"
#include "companions/crash_reporter/report_address.h"
#include "companions/crash_reporter/reporter_args.h"
#include "settings/settings.h"

namespace {

class CrashUploadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetStandin();
        dumpPath = TestFolder(L"dumps") + L"\\Quillbank_recorder_2_8.dmp";
        dump = "MDMP" + NoiseBytes(300 * 1024, 7);
        WriteWholeFile(dumpPath, dump);
        report.address = L"http://" + StandinHost() + L"/crash-report.php";
        report.product = L"Quillbank recorder";
        report.version = L"2.8";
        report.comments = L"I pressed Record twice \u00e9";
        report.dumpPath = dumpPath;
    }

    std::wstring dumpPath;
    std::string dump;
    CrashReport report;
};

TEST_F(CrashUploadTest, TheCollectorReceivesTheDumpByteForByteWithItsFields) {
    CrashUpload upload(report, nullptr);
    ASSERT_TRUE(upload.Perform()) << upload.Error().c_str();
    EXPECT_EQ(ReadWholeFile(StandinDir() + L"\\crash_reports\\Quillbank_recorder_2_8.dmp"), dump);
    const auto records = StandinRecords();
    ASSERT_EQ(records.size(), 1u);
    const StandinRecord& request = records[0];
    EXPECT_EQ(request.at("path"), "/crash-report.php");
    EXPECT_EQ(request.at("raw.part_order"), "upload_file_minidump,prod,ver,comments");
    EXPECT_EQ(request.at("raw.1.value"), "Quillbank recorder");
    EXPECT_EQ(request.at("raw.2.value"), "2.8");
    EXPECT_EQ(request.at("raw.3.value"), "I pressed Record twice \xc3\xa9");
}

TEST_F(CrashUploadTest, ACollectorThatRefusesIsAFailure) {
    SetStandinReply(500, "broken\n");
    CrashUpload upload(report, nullptr);
    EXPECT_FALSE(upload.Perform());
    EXPECT_NE(upload.Error().find(L"500"), std::wstring::npos) << upload.Error().c_str();
}

TEST(CrashReportAddress, IsTheServiceUnlessTheRegistryNamesAnotherCollector) {
    TestRegistry registry;
    EXPECT_EQ(CrashReportAddress(), L"http://" + g_settings.m_serverHost + L"/crash-report.php");
    registry.SetString(kRecorderKey, L"CrashReportUrl", L"https://crashes.example.org/submit");
    EXPECT_EQ(CrashReportAddress(), L"https://crashes.example.org/submit");
}

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
