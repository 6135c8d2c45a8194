// A crash on any thread asks whether to send a report, writes a minidump on Yes, starts the
// crash reporter with its command line, and ends the process with exit code 0.
#include <gtest/gtest.h>
#include <shlobj.h>
#include "../../recorder_app/app/crash/crash_test_trigger.h"
#include "app_harness.h"

using namespace e2e;

namespace {

const wchar_t kQuestion[] =
    L"Sorry, fatal error encountered.\nWould you send the crash report to Quillbank website?\n"
    L"This will help us improve the sofware.";

// Answered Yes, the program writes the whole dump before it ends: seconds on a quiet machine,
// several times that on a loaded one.
constexpr DWORD kDumpWrittenMs = 60000;

std::wstring DumpPath() {
    wchar_t folder[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    return JoinPath(folder, L"Quillbank_recorder_2_8.dmp");
}

class Crash : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteFileW(DumpPath().c_str());
        ASSERT_TRUE(app.Start());
    }

    // Raises the crash and returns the question box that follows.
    MessageBoxInfo CrashOn(CrashTestSite site) {
        PostMessageW(app.MainWindow(), RegisterWindowMessageW(kCrashTestMessageName), kCrashTestMagic, site);
        return app.WaitForMessageBox();
    }

    std::wstring Invocation() const { return JoinPath(app.AppDir(), L"reporter_invocation.txt"); }

    // Crashes at site, answers Yes, and expects the dump and the reporter.
    void ExpectReportAnsweredYes(CrashTestSite site) {
        ASSERT_TRUE(app.AddFile(ReporterStub(), L"crash_reporter.exe"));
        const MessageBoxInfo box = CrashOn(site);
        ASSERT_NE(box.window, nullptr);
        EXPECT_EQ(box.text, kQuestion);
        EXPECT_EQ(GetWindow(box.window, GW_OWNER), app.MainWindow());
        ASSERT_TRUE(app.AnswerMessageBox(box, IDYES));
        EXPECT_EQ(app.WaitForExit(kDumpWrittenMs), 0u);
        EXPECT_EQ(ReadBytes(DumpPath()).substr(0, 4), "MDMP");
        EXPECT_TRUE(WaitFor([&] { return FileExists(Invocation()); }, 10000));
    }

    RecorderApp app;
};

TEST_F(Crash, AnsweredNoWritesNothingAndEndsWithCodeZero) {
    ASSERT_TRUE(app.AddFile(ReporterStub(), L"crash_reporter.exe"));
    const MessageBoxInfo box = CrashOn(kCrashOnMainThread);
    ASSERT_NE(box.window, nullptr);
    EXPECT_EQ(box.caption, L"Application crashed");
    EXPECT_EQ(box.text, kQuestion);
    EXPECT_EQ(GetWindow(box.window, GW_OWNER), app.MainWindow());
    ASSERT_TRUE(app.AnswerMessageBox(box, IDNO));
    EXPECT_EQ(app.WaitForExit(), 0u);
    EXPECT_FALSE(FileExists(DumpPath()));
    EXPECT_FALSE(FileExists(Invocation()));
}

TEST_F(Crash, AnsweredYesWritesTheDumpAndStartsTheReporter) {
    ASSERT_TRUE(app.AddFile(ReporterStub(), L"crash_reporter.exe"));
    // An earlier crash's dump is replaced.
    if (FILE* old = _wfopen(DumpPath().c_str(), L"wb")) {
        fputs("an older dump", old);
        fclose(old);
    }
    const MessageBoxInfo box = CrashOn(kCrashOnMainThread);
    ASSERT_NE(box.window, nullptr);
    ASSERT_TRUE(app.AnswerMessageBox(box, IDYES));
    EXPECT_EQ(app.WaitForExit(kDumpWrittenMs), 0u);
    EXPECT_EQ(ReadBytes(DumpPath()).substr(0, 4), "MDMP");

    ASSERT_TRUE(WaitFor([&] { return FileExists(Invocation()); }, 10000));
    const auto invocation = ReadUtf16Lines(Invocation());
    ASSERT_EQ(invocation.size(), 2u);
    EXPECT_EQ(invocation[0], L"crash_reporter.exe \"Quillbank recorder\" 2.8 \"" + DumpPath() + L"\"");
    EXPECT_EQ(invocation[1] + L"\\", app.AppDir() + L"\\");
}

TEST_F(Crash, OnAWorkerThreadIsCaughtTheSameWay) {
    ExpectReportAnsweredYes(kCrashOnWorkerThread);
}

TEST_F(Crash, CppExceptionEscapingAWorkerIsCaughtTheSameWay) {
    ExpectReportAnsweredYes(kThrowOnWorkerThread);
}

TEST_F(Crash, OnAThreadWithoutTheGuardIsCaughtTheSameWay) {
    ExpectReportAnsweredYes(kCrashOnUnguardedThread);
}

TEST_F(Crash, InsideTheDialogsMessageHandlingIsCaughtTheSameWay) {
    const MessageBoxInfo box = CrashOn(kCrashInWindowProcedure);
    ASSERT_NE(box.window, nullptr);
    EXPECT_EQ(box.text, kQuestion);
    ASSERT_TRUE(app.AnswerMessageBox(box, IDNO));
    EXPECT_EQ(app.WaitForExit(), 0u);
}

// A crash in the main window's message handling while the main thread's crash question is
// open (its box dispatches that window's messages) ends the process instead of asking again.
TEST_F(Crash, ACrashInsideTheQuestionEndsTheProcess) {
    const MessageBoxInfo first = CrashOn(kCrashOnMainThread);
    ASSERT_NE(first.window, nullptr);
    PostMessageW(app.MainWindow(), RegisterWindowMessageW(kCrashTestMessageName), kCrashTestMagic,
                 kCrashInWindowProcedure);
    auto questions = [&] {
        int shown = 0;
        for (HWND window : TopLevelWindowsOf(app.ProcessId()))
            if (IsWindowVisible(window) && WindowText(window) == L"Application crashed") ++shown;
        return shown;
    };
    ASSERT_TRUE(WaitFor([&] { return questions() > 1 || !app.IsRunning(); }, 10000));
    EXPECT_EQ(app.WaitForExit(), 0u);
}

TEST_F(Crash, MissingReporterIsSilent) {
    const MessageBoxInfo box = CrashOn(kCrashOnMainThread);
    ASSERT_NE(box.window, nullptr);
    ASSERT_TRUE(app.AnswerMessageBox(box, IDYES));
    // No error box follows: the process simply ends.
    EXPECT_EQ(app.WaitForExit(kDumpWrittenMs), 0u);
    EXPECT_EQ(ReadBytes(DumpPath()).substr(0, 4), "MDMP");
}

}  // namespace
