// The real patcher.exe beside the real recorder: it waits until the recorder has closed,
// moves the update into place and starts the recorder again.
#include <gtest/gtest.h>
#include <shlobj.h>
#include "standin_client.h"
#include "companion_e2e_support.h"

using namespace e2e;
using namespace companions;

namespace {

std::wstring PatcherLog() {
    wchar_t documents[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents);
    return JoinPath(JoinPath(documents, L"My Podcasts"), L"patcher.log");
}

bool HasLogLine(const std::wstring& line) {
    for (const std::wstring& logged : ReadUtf16Lines(PatcherLog()))
        if (logged == line) return true;
    return false;
}

TEST(Patcher, WaitsForTheRecorderThenInstallsTheUpdateAndStartsItAgain) {
    DeleteFileW(PatcherLog().c_str());
    RecorderApp app;
    ASSERT_TRUE(app.AddFile(DistFile(L"patcher.exe"), L"patcher.exe"));
    const std::wstring updates = JoinPath(app.AppDir(), L"updates");
    CreateDirectoryW(updates.c_str(), nullptr);
    CreateDirectoryW(JoinPath(updates, L"docs").c_str(), nullptr);
    WriteWholeFile(JoinPath(updates, L"adspot.mp3"), "the new jingle");
    WriteWholeFile(JoinPath(updates, L"docs\\notes.txt"), "what is new");
    const std::string oldJingle = ReadBytes(JoinPath(app.AppDir(), L"adspot.mp3"));
    ASSERT_TRUE(app.Start());

    // Started as the recorder starts it: from the program's folder, without arguments.
    const std::wstring patcher = JoinPath(app.AppDir(), L"patcher.exe");
    std::wstring commandLine = L"patcher.exe";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(patcher.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                               app.AppDir().c_str(), &startup, &process));
    CloseHandle(process.hThread);

    // While the recorder runs, the patcher waits and touches nothing.
    ASSERT_TRUE(WaitFor([] { return HasLogLine(L"Waiting for the recorder to end"); }, 20000));
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(ReadBytes(JoinPath(app.AppDir(), L"adspot.mp3")), oldJingle);

    const std::wstring title = WindowText(app.MainWindow());
    PostMessageW(app.MainWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(app.WaitForExit(), 0u);
    ASSERT_EQ(WaitForSingleObject(process.hProcess, 30000), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    EXPECT_EQ(code, 0u);

    EXPECT_EQ(ReadBytes(JoinPath(app.AppDir(), L"adspot.mp3")), "the new jingle");
    EXPECT_EQ(ReadBytes(JoinPath(app.AppDir(), L"docs\\notes.txt")), "what is new");
    EXPECT_FALSE(FileExists(JoinPath(updates, L"adspot.mp3")));
    EXPECT_FALSE(FileExists(JoinPath(updates, L"docs")));
    EXPECT_TRUE(HasLogLine(L"Update installed"));

    // The recorder comes back from its own folder.
    const HWND restarted = WaitForDialogTitled(title, 30000, app.ProcessId());
    ASSERT_NE(restarted, nullptr);
    const DWORD restartedId = ProcessOf(restarted);
    PostMessageW(restarted, WM_CLOSE, 0, 0);
    if (WaitForProcessExit(restartedId) == STILL_ACTIVE) EndProcess(restartedId);
    DeleteFileW(JoinPath(app.AppDir(), L"docs\\notes.txt").c_str());
    RemoveDirectoryW(JoinPath(app.AppDir(), L"docs").c_str());
    RemoveDirectoryW(updates.c_str());
}

}  // namespace

namespace {

// The recorder finds 2.9 on the service; after Yes it downloads and unpacks the archive,
// starts the patcher that came in it and closes; the patcher puts the new recorder in place
// and starts it from the program's folder.
TEST(UpdateCycle, YesReplacesTheRecorderAndStartsTheNewOne) {
    const std::string archive = ReadWholeFile(StandinDir() + L"\\files\\update.zip");
    ASSERT_FALSE(archive.empty());
    WriteWholeFile(StandinDir() + L"\\update_reply", "current_version=2.9\r\nfile_location=http://{host}/files/update.zip\r\n"
                                                     "file_size=" + std::to_string(archive.size()) + "\r\n");
    ServerHostSetting host(StandinHost());
    RecorderApp app;
    ASSERT_TRUE(app.Start());
    const std::wstring title = WindowText(app.MainWindow());
    const MessageBoxInfo offer = WaitForBoxOf(app.ProcessId(), app.MainWindow());
    ASSERT_EQ(offer.text, L"An update for this software available. Do you want to upgrade it now?");
    ASSERT_TRUE(Answer(offer, IDYES));
    const MessageBoxInfo restart = WaitForBoxOf(app.ProcessId(), app.MainWindow(), 60000);
    ASSERT_EQ(restart.caption, L"Information");
    ASSERT_TRUE(Answer(restart, IDOK));
    EXPECT_EQ(app.WaitForExit(30000), 0u);

    const HWND restarted = WaitForDialogTitled(title, 60000, app.ProcessId());
    ASSERT_NE(restarted, nullptr);
    const DWORD restartedId = ProcessOf(restarted);
    const std::string installed = ReadBytes(JoinPath(app.AppDir(), L"recorder.exe"));
    EXPECT_EQ(installed.substr(installed.size() - 18), "QB-TEST-BUILD 2.9\n");
    EXPECT_TRUE(FileExists(JoinPath(app.AppDir(), L"patcher.exe")));
    EXPECT_FALSE(FileExists(JoinPath(app.AppDir(), L"updates\\recorder.exe")));
    EXPECT_TRUE(HasLogLine(L"Update installed"));
    // The new recorder asks about 2.9 again; the test ends it as it is.
    EndProcess(restartedId);
    RemoveDirectoryW(JoinPath(app.AppDir(), L"updates").c_str());
}

}  // namespace
