// The log says a clip went to the Recycle Bin only where the shell put it there: a bin that
// is switched off, or too small for the file, would delete it, and so does the program.
#include <gtest/gtest.h>
#include "app/history/recycle_bin.h"
#include "history_test_files.h"
#include "runtime/log_file.h"

namespace {

using namespace history_test;

class RecycleBin : public ::testing::Test {
protected:
    void SetUp() override {
        work = FreshFolder(L"recycle-bin");
        clip = work + L"\\clip.mp3";
        Touch(clip, 4096);
        ASSERT_TRUE(g_log.Open(work + L"\\recorder.log"));
    }
    void TearDown() override {
        g_log.Close();
        RemoveTree(work);
    }
    std::wstring Log() {
        g_log.Close();
        std::ifstream file((work + L"\\recorder.log").c_str(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    }
    std::wstring work, clip;
};

TEST_F(RecycleBin, ABinSwitchedOffOrTooSmallMeansTheClipIsDeletedAndSaidSo) {
    g_script.hasBin = true;
    g_script.bin.nukeOnDelete = true;
    EXPECT_TRUE(RecycleClip(clip, kScriptedApi));
    EXPECT_FALSE(Exists(clip));
    Touch(clip, 4096);
    g_script.bin.nukeOnDelete = false;
    g_script.bin.maxBytes = 4095;
    EXPECT_TRUE(RecycleClip(clip, kScriptedApi));
    EXPECT_FALSE(Exists(clip));
    EXPECT_TRUE(g_script.recycled.empty());
    const std::wstring log = Log();
    EXPECT_NE(log.find(L"Deleted (its drive's Recycle Bin is switched off): " + clip + L"\n"), std::wstring::npos);
    EXPECT_NE(log.find(L"Deleted (too large for its drive's Recycle Bin): " + clip + L"\n"), std::wstring::npos);
    EXPECT_EQ(log.find(L"Recycle Bin: "), std::wstring::npos);
}

TEST_F(RecycleBin, OnlyAClipTheShellReportsInTheBinIsLoggedAsMovedThere) {
    g_script.hasBin = true;
    g_script.bin.maxBytes = 4096;
    g_script.report = RecycleReport::kDeleted;
    EXPECT_TRUE(RecycleClip(clip, kScriptedApi));
    Touch(clip, 4096);
    g_script.report = RecycleReport::kInBin;
    EXPECT_TRUE(RecycleClip(clip, kScriptedApi));
    EXPECT_EQ(g_script.recycled.size(), 2u);
    const std::wstring log = Log();
    const size_t deleted = log.find(L"Deleted (its drive's Recycle Bin did not keep it): " + clip + L"\n");
    EXPECT_NE(deleted, std::wstring::npos);
    EXPECT_EQ(log.find(L"Moved to the Recycle Bin: " + clip + L"\n"), log.rfind(L"Moved to the Recycle Bin"));
    EXPECT_GT(log.find(L"Moved to the Recycle Bin: "), deleted);
}

}  // namespace
