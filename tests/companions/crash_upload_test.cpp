// The crash report as it reaches a collector.
#include <gtest/gtest.h>
#include <windows.h>
#include "companions/crash_reporter/crash_upload.h"
#include "standin_client.h"

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

}  // namespace
