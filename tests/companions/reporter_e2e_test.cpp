// A real crash of the real recorder answered Yes starts the real crash reporter, which sends
// the dump to the stand-in service or, with the service down, keeps it and says where.
#include <gtest/gtest.h>
#include <shlobj.h>
#include "../../recorder_app/app/crash/crash_test_trigger.h"
#include "../../recorder_app/companions/crash_reporter/reporter_resource.h"
#include "companion_e2e_support.h"
#include "standin_client.h"

using namespace e2e;
using namespace companions;

namespace {

std::wstring DumpPath() {
    wchar_t folder[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    return JoinPath(folder, L"Quillbank_recorder_2_8.dmp");
}

class Reporter : public ::testing::Test {
protected:
    void SetUp() override { DeleteFileW(DumpPath().c_str()); }

    // Crashes the recorder, answers Yes and returns the reporter's dialog, with the comment
    // typed in.
    HWND CrashAndReport() {
        EXPECT_TRUE(app.AddFile(DistFile(L"crash_reporter.exe"), L"crash_reporter.exe"));
        if (!app.Start()) return nullptr;
        PostMessageW(app.MainWindow(), RegisterWindowMessageW(kCrashTestMessageName), kCrashTestMagic,
                     kCrashOnMainThread);
        const MessageBoxInfo question = app.WaitForMessageBox();
        if (question.window == nullptr || !app.AnswerMessageBox(question, IDYES)) return nullptr;
        EXPECT_EQ(app.WaitForExit(), 0u);
        const HWND dialog = WaitForDialogTitled(L"Quillbank recorder crash report");
        if (dialog != nullptr)
            SetDlgItemTextW(dialog, IDC_REPORT_COMMENT, L"It crashed while idle");
        return dialog;
    }

    // Presses Send and returns the box that tells how it went.
    MessageBoxInfo Send(HWND dialog) {
        app.ClickWindow(GetDlgItem(dialog, IDOK));
        return WaitForBoxOf(ProcessOf(dialog), dialog);
    }

    RecorderApp app;
};

TEST_F(Reporter, SendDeliversTheDumpByteForByteAndDeletesIt) {
    ServerHostSetting host(StandinHost());
    const HWND dialog = CrashAndReport();
    ASSERT_NE(dialog, nullptr);
    const DWORD reporter = ProcessOf(dialog);
    const std::string dump = ReadBytes(DumpPath());
    ASSERT_EQ(dump.substr(0, 4), "MDMP");

    const MessageBoxInfo done = Send(dialog);
    ASSERT_NE(done.window, nullptr);
    EXPECT_EQ(done.text, L"The crash report was sent. Thank you for helping to improve the program.");
    ASSERT_TRUE(Answer(done, IDOK));
    EXPECT_EQ(WaitForProcessExit(reporter), 0u);

    EXPECT_EQ(ReadWholeFile(StandinDir() + L"\\crash_reports\\Quillbank_recorder_2_8.dmp"), dump);
    EXPECT_FALSE(FileExists(DumpPath()));
    bool found = false;
    for (const StandinRecord& request : StandinRecords()) {
        if (request.at("path") != "/crash-report.php") continue;
        found = true;
        EXPECT_EQ(request.at("raw.1.value"), "Quillbank recorder");
        EXPECT_EQ(request.at("raw.2.value"), "2.8");
        EXPECT_EQ(request.at("raw.3.value"), "It crashed while idle");
    }
    EXPECT_TRUE(found);
}

TEST_F(Reporter, WithTheServiceDownTheDumpIsKeptAndTheMessageSaysWhere) {
    ClosedPort closed;
    ServerHostSetting host(L"127.0.0.1:" + std::to_wstring(closed.Port()));
    const HWND dialog = CrashAndReport();
    ASSERT_NE(dialog, nullptr);
    const DWORD reporter = ProcessOf(dialog);
    const std::string dump = ReadBytes(DumpPath());

    const MessageBoxInfo failed = Send(dialog);
    ASSERT_NE(failed.window, nullptr);
    EXPECT_EQ(failed.text.rfind(L"The crash report could not be sent: ", 0), 0u) << failed.text.c_str();
    EXPECT_NE(failed.text.find(L"The crash dump is kept at:\n" + DumpPath()), std::wstring::npos);
    ASSERT_TRUE(Answer(failed, IDOK));
    EXPECT_EQ(WaitForProcessExit(reporter), 1u);
    EXPECT_EQ(ReadBytes(DumpPath()), dump);
}

TEST(ReporterArguments, AWrongCountGetsAClearMessage) {
    const std::wstring program = DistFile(L"crash_reporter.exe");
    std::wstring commandLine = L"crash_reporter.exe \"Quillbank recorder\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));
    CloseHandle(process.hThread);
    const MessageBoxInfo box = WaitForBoxOf(process.dwProcessId, nullptr);
    ASSERT_NE(box.window, nullptr);
    EXPECT_EQ(box.caption, L"Crash reporter");
    EXPECT_EQ(box.text.rfind(L"The crash reporter needs 3 arguments but was given 1.", 0), 0u) << box.text.c_str();
    ASSERT_TRUE(Answer(box, IDOK));
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    EXPECT_EQ(code, 2u);
}

}  // namespace
