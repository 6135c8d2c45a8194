// The query, the download dialog and its worker against the stand-in service, inside this
// process: the dialog runs on the test's thread as it does on the check thread, and a helper
// thread plays the user.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>
#include <atomic>
#include <functional>
#include <thread>
#include "runtime/app_globals.h"
#include "service/update/update_check.h"
#include "service/update/update_dlg.h"
#include "standin_client.h"
#include "update_test_support.h"

namespace {

constexpr wchar_t kOffer[] = L"current_version=2.9\r\nfile_location=x\r\nfile_size=1048576\r\n";

int ThreadCount() {
    int count = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    CloseHandle(snapshot);
    return count;
}

// A shown dialog of this process with that caption.
HWND FindDialog(const wchar_t* caption) {
    HWND window = FindWindowW(L"#32770", caption);
    DWORD pid = 0;
    if (window != nullptr) GetWindowThreadProcessId(window, &pid);
    return pid == GetCurrentProcessId() && IsWindowVisible(window) ? window : nullptr;
}

template <class Predicate>
bool WaitUntil(Predicate predicate, DWORD timeoutMs) {
    for (const DWORD start = GetTickCount(); !predicate(); Sleep(5))
        if (GetTickCount() - start > timeoutMs) return false;
    return true;
}

class UpdateFlow : public ::testing::Test {
protected:
    void SetUp() override {
        ResetStandin();
        for (const wchar_t* name : {L"update_reply", L"behaviour.update", L"behaviour.files"})
            DeleteFileW((StandinDir() + L"\\" + name).c_str());
        g_appDir = FreshFolder(L"app") + L"\\";
    }
    void TearDown() override { g_appDir.clear(); }

    static void SetReply(const std::wstring& text) {
        WriteWholeFile(StandinDir() + L"\\update_reply", std::string(text.begin(), text.end()));
    }
    static void SetBehaviour(const wchar_t* which, const std::string& behaviour) {
        WriteWholeFile(StandinDir() + L"\\" + which, behaviour + "\n");
    }
    static std::wstring QueryAddress() { return L"http://" + StandinHost() + L"/recorder-update.php?ver=2.8"; }
    // Puts the bytes where the stand-in serves them; returns their address.
    static std::wstring Serve(const std::string& bytes, const wchar_t* name) {
        WriteWholeFile(StandinDir() + L"\\files\\" + name, bytes);
        return L"http://" + StandinHost() + L"/files/" + name;
    }

    // Runs the dialog on this thread while user() plays the user on another.
    static INT_PTR RunDialog(CUpdateInfo* info, const std::function<void()>& user) {
        std::thread helper(user);
        CUpdateDlg dialog(info);
        const INT_PTR result = dialog.Run(nullptr);
        helper.join();
        return result;
    }
    // Waits for the error box, checks its text and answers it. A failure can come only after
    // a long transfer (an endless body runs up to the archive limit), which a loaded machine
    // slows down: the wait is generous, and a box that never comes cancels the dialog, so that
    // the test fails instead of hanging.
    static void AnswerError(std::atomic<bool>* seen) {
        HWND box = nullptr;
        if (!WaitUntil([&] { return (box = FindDialog(L"Error")) != nullptr; }, 240000)) {
            if (HWND dialog = FindDialog(L"Updating...")) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        wchar_t text[256] = L"";
        GetDlgItemTextW(box, 0xFFFF, text, 256);
        *seen = lstrcmpW(text, L"Error occured while updating software") == 0;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
};

}  // namespace

TEST_F(UpdateFlow, ANewerVersionIsOfferedByAPlainGet) {
    SetReply(L"current_version = 2.9\r\nfile_location=http://h/u.zip\r\nfile_size=1048576\r\nmust_update=TRUE\r\n");
    CUpdateInfo info;
    ASSERT_TRUE(Check(QueryAddress(), &info));
    EXPECT_EQ(2, info.m_major);
    EXPECT_EQ(9, info.m_minor);
    EXPECT_EQ(L"http://h/u.zip", info.m_fileLocation);
    EXPECT_EQ(1048576, info.m_fileSize);
    EXPECT_EQ(1, info.m_mustUpdate);
    const std::vector<StandinRecord> records = StandinRecords();
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ("GET", records[0].at("method"));
    EXPECT_EQ("ver=2.8", records[0].at("query"));
    EXPECT_EQ("QuillbankRecorder", records[0].at("user_agent"));
}

TEST_F(UpdateFlow, EveryQueryFailureIsSilentlyNoUpdate) {
    const std::string offer(std::begin(kOffer), std::end(kOffer) - 1);
    const char* behaviours[] = {
        "normal",                         // the stand-in's own reply: version 2.8
        "garbage 5000",
        "endless",                        // far beyond any reply
        "truncate 10",                    // the connection dropped
    };
    for (const char* behaviour : behaviours) {
        SetBehaviour(L"behaviour.update", behaviour);
        CUpdateInfo info;
        EXPECT_FALSE(Check(QueryAddress(), &info)) << behaviour;
    }
    // An error page is no offer, even with the offer's text in it.
    for (int status : {404, 500, 302}) {
        SetBehaviour(L"behaviour.update", "reply " + std::to_string(status) + " " + HexOf(offer));
        CUpdateInfo info;
        EXPECT_FALSE(Check(QueryAddress(), &info)) << status;
    }
    DeleteFileW((StandinDir() + L"\\behaviour.update").c_str());
    SetReply(L"current_version=2.9\r\nfile_location=x\r\n");
    CUpdateInfo info;
    EXPECT_FALSE(Check(QueryAddress(), &info));
    ClosedPort closed;
    EXPECT_FALSE(Check(L"http://127.0.0.1:" + std::to_wstring(closed.Port()) + L"/recorder-update.php", &info));
}

TEST_F(UpdateFlow, TheArchiveIsUnpackedAndItsUpdaterInstalled) {
    const std::string archive = ReadFileBytes(ArchivePath(L"update.zip"));
    CUpdateInfo info;
    info.m_fileLocation = Serve(archive, L"update.zip");
    info.m_fileSize = static_cast<int32_t>(archive.size());
    EXPECT_EQ(1, RunDialog(&info, [] {}));
    const std::string patcher = ReadFileBytes(g_appDir + L"patcher.exe");
    EXPECT_EQ("MZ", patcher.substr(0, 2));
    EXPECT_EQ("2.9\n", ReadFileBytes(g_appDir + L"updates\\data\\new_version.txt"));
    EXPECT_FALSE(Exists(g_appDir + L"updates\\patcher.exe"));
    EXPECT_FALSE(Exists(g_appDir + L"updates\\update.zip"));
}

TEST_F(UpdateFlow, AnErrorPageIsAFailedDownloadNotAnUpdate) {
    CUpdateInfo info;
    info.m_fileLocation = Serve(ReadFileBytes(ArchivePath(L"update.zip")), L"update.zip");
    SetBehaviour(L"behaviour.files", "reply 404 " + HexOf("<html>no such file</html>"));
    std::atomic<bool> seen{false};
    EXPECT_EQ(2, RunDialog(&info, [&] { AnswerError(&seen); }));
    EXPECT_TRUE(seen.load());
    EXPECT_FALSE(Exists(g_appDir + L"updates\\update.zip"));
    EXPECT_FALSE(Exists(g_appDir + L"patcher.exe"));
}

TEST_F(UpdateFlow, AnEndlessBodyEndsInAFailureNotACrash) {
    CUpdateInfo info;
    info.m_fileLocation = Serve("x", L"endless.zip");
    SetBehaviour(L"behaviour.files", "endless");
    std::atomic<bool> seen{false};
    EXPECT_EQ(2, RunDialog(&info, [&] { AnswerError(&seen); }));
    EXPECT_TRUE(seen.load());
    EXPECT_FALSE(Exists(g_appDir + L"updates\\update.zip"));
}

TEST_F(UpdateFlow, FiftyCancelsDuringASlowDownload) {
    const std::string archive = ReadFileBytes(ArchivePath(L"update.zip"));
    CUpdateInfo info;
    info.m_fileLocation = Serve(archive, L"update.zip");
    info.m_fileSize = static_cast<int32_t>(archive.size());
    SetBehaviour(L"behaviour.files", "slow 20000");
    const int threadsBefore = ThreadCount();
    for (int round = 0; round < 50; ++round) {
        bool progressed = false;
        const INT_PTR result = RunDialog(&info, [&] {
            HWND dialog = nullptr;
            if (!WaitUntil([&] { return (dialog = FindDialog(L"Updating...")) != nullptr; }, 10000)) return;
            // Cancel while bytes are arriving, so the worker is in the middle of its transfer.
            HWND bar = GetDlgItem(dialog, IDC_UPDATE_PROGRESS);
            progressed = WaitUntil([&] { return SendMessageW(bar, PBM_GETPOS, 0, 0) > 0; }, 10000);
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        ASSERT_EQ(2, result) << "round " << round;
        ASSERT_TRUE(progressed) << "round " << round;
        EXPECT_EQ(nullptr, info.m_progressWnd);
    }
    // Every worker stops at its next progress call: their threads end, nothing was written
    // and nothing of the update was installed.
    EXPECT_TRUE(WaitUntil([&] { return ThreadCount() <= threadsBefore; }, 10000))
        << ThreadCount() << " threads, " << threadsBefore << " before";
    EXPECT_FALSE(Exists(g_appDir + L"updates\\update.zip"));
    EXPECT_FALSE(Exists(g_appDir + L"patcher.exe"));
}
