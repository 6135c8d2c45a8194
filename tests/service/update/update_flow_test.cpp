// The query, the download dialog and its worker against the stand-in service, inside this
// process: the dialog runs on the test's thread as it does on the check thread, and a helper
// thread plays the user.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>
#include <sodium.h>
#include <atomic>
#include <functional>
#include <map>
#include <thread>
#include <utility>
#include "runtime/app_globals.h"
#include "service/update/update_check.h"
#include "service/update/update_dlg.h"
#include "service/update/update_key.h"
#include "service/update/update_transfer.h"
#include "../../support/thread_count.h"
#include "standin_client.h"
#include "update_test_support.h"
#include "verify_log.h"

namespace {

constexpr wchar_t kOffer[] = L"current_version=2.9\r\nfile_location=x\r\nfile_size=1048576\r\n";

// A shown dialog of this process with that caption.
HWND FindDialog(const wchar_t* caption) {
    HWND window = FindWindowW(L"#32770", caption);
    DWORD pid = 0;
    if (window != nullptr) GetWindowThreadProcessId(window, &pid);
    return pid == GetCurrentProcessId() && IsWindowVisible(window) ? window : nullptr;
}

// Whether the stand-in signs with the key pair this program was built for; a program built
// with the service's own key refuses whatever the stand-in offers.
bool StandinSignsForUs() {
    wchar_t value[8];
    return BuiltInUpdateKey() == nullptr || GetEnvironmentVariableW(L"QB_UPDATE_SIGNING_KEY", value, 8) > 0;
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
        for (const wchar_t* name : {L"update_reply", L"behaviour.update", L"behaviour.files", L"update_unsigned"})
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

    // The stand-in's offer of these bytes as its archive, as the query reads it: with the
    // stand-in's signature of them, unless told otherwise.
    static CUpdateInfo Offered(const std::string& bytes, const wchar_t* name) {
        const std::wstring location = Serve(bytes, name);
        SetReply(L"current_version=2.9\r\nfile_location=" + location + L"\r\nfile_size=" +
                 std::to_wstring(bytes.size()) + L"\r\n");
        CUpdateInfo info;
        EXPECT_TRUE(Check(QueryAddress(), &info));
        return info;
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

    // From a script saved as "UTF-8 with BOM": the mark is no part of the first key.
    const std::string offer(std::begin(kOffer), std::end(kOffer) - 1);
    SetBehaviour(L"behaviour.update", "reply 200 " + HexOf("\xEF\xBB\xBF" + offer));
    EXPECT_TRUE(Check(QueryAddress(), &info));
}

TEST_F(UpdateFlow, AMovedQueryIsFollowed) {
    Serve(std::string(std::begin(kOffer), std::end(kOffer) - 1), L"moved.txt");
    SetBehaviour(L"behaviour.update", "redirect 301 /files/moved.txt");
    CUpdateInfo info;
    EXPECT_TRUE(Check(QueryAddress(), &info));
    EXPECT_EQ(L"x", info.m_fileLocation);
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
    if (!StandinSignsForUs()) GTEST_SKIP() << "built with a key the stand-in cannot sign for";
    const std::string archive = ReadFileBytes(ArchivePath(L"update.zip"));
    CUpdateInfo info = Offered(archive, L"update.zip");
    VerifyLog log;
    EXPECT_EQ(1, RunDialog(&info, [] {}));
    EXPECT_EQ(std::vector<std::wstring>({BuiltInUpdateKey() != nullptr
                                             ? L"Update archive signature verified"
                                             : L"Update archive not verified: this program was built without the "
                                               L"service's public key"}),
              log.Lines());
    const std::string patcher = ReadFileBytes(g_appDir + L"patcher.exe");
    EXPECT_EQ("MZ", patcher.substr(0, 2));
    EXPECT_EQ("2.9\n", ReadFileBytes(g_appDir + L"updates\\data\\new_version.txt"));
    EXPECT_FALSE(Exists(g_appDir + L"updates\\patcher.exe"));
    EXPECT_FALSE(Exists(g_appDir + L"updates\\update.zip"));
    // The updater installs what the list names: the files left in "updates", not itself.
    EXPECT_EQ("data\\new_version.txt\r\n", ReadFileBytes(g_appDir + L"updates\\update.lst"));
}

// The stand-in signs as the service does, checked here with libsodium rather than the
// program's own check: the version with the archive for this program, and the archive alone
// for programs installed before that.
TEST_F(UpdateFlow, TheStandinSignsTheVersionWithTheArchiveAndTheArchiveAlone) {
    if (BuiltInUpdateKey() == nullptr || !StandinSignsForUs()) GTEST_SKIP() << "no key the stand-in signs for";
    ASSERT_GE(sodium_init(), 0);
    const std::string archive = ReadFileBytes(ArchivePath(L"update.zip"));
    const std::wstring location = Serve(archive, L"update.zip");
    SetReply(L"current_version = 2.9 \r\nfile_location=" + location + L"\r\nfile_size=1\r\n");
    TransferWatch quiet;
    std::string reply;
    HttpGet(QueryAddress(), &reply, 1 << 16, &quiet);
    std::map<std::string, std::vector<unsigned char>> signatures;
    for (size_t pos = 0, end; (end = reply.find("\r\n", pos)) != std::string::npos; pos = end + 2) {
        const std::string line = reply.substr(pos, end - pos);
        const size_t equals = line.find('=');
        std::vector<unsigned char> bytes(crypto_sign_BYTES);
        size_t length = 0;
        if (equals != std::string::npos &&
            sodium_base642bin(bytes.data(), bytes.size(), line.c_str() + equals + 1, line.size() - equals - 1, nullptr,
                              &length, nullptr, sodium_base64_VARIANT_ORIGINAL) == 0 &&
            length == crypto_sign_BYTES)
            signatures[line.substr(0, equals)] = bytes;
    }
    ASSERT_EQ(2u, signatures.size()) << reply;
    unsigned char digest[crypto_hash_sha512_BYTES];
    crypto_hash_sha512(digest, reinterpret_cast<const unsigned char*>(archive.data()), archive.size());
    const std::string message = "2.9\n" + std::string(reinterpret_cast<const char*>(digest), sizeof digest);
    EXPECT_EQ(0, crypto_sign_verify_detached(signatures["update_signature"].data(),
                                             reinterpret_cast<const unsigned char*>(message.data()), message.size(),
                                             BuiltInUpdateKey()));
    EXPECT_EQ(0, crypto_sign_verify_detached(signatures["signature"].data(),
                                             reinterpret_cast<const unsigned char*>(archive.data()), archive.size(),
                                             BuiltInUpdateKey()));
}

TEST_F(UpdateFlow, ADamagedOrEmptyArchiveIsAFailedDownload) {
    const std::string archive = ReadFileBytes(ArchivePath(L"update.zip"));
    const std::pair<const wchar_t*, std::string> bodies[] = {
        {L"an error page served as the archive", "<html><body>Service unavailable</body></html>"},
        {L"a body cut short", ReadFileBytes(ArchivePath(L"truncated.zip"))},
        {L"an entry whose checksum is wrong", ReadFileBytes(ArchivePath(L"crc.zip"))},
        {L"no entries", ReadFileBytes(ArchivePath(L"empty.zip"))},
    };
    for (const auto& body : bodies) {
        const std::string what(body.first, body.first + wcslen(body.first));
        // What an earlier attempt left: its list must not outlive this one; a file of the
        // user's stays.
        CreateDirectoryW((g_appDir + L"updates").c_str(), nullptr);
        WriteFileBytes(g_appDir + L"updates\\update.lst", "data\\new_version.txt\r\n");
        WriteFileBytes(g_appDir + L"updates\\mine.txt", "mine");
        // Signed as offered, so that what refuses it is the unpacking, not the signature.
        CUpdateInfo info = Offered(body.second, L"update.zip");
        info.m_fileSize = static_cast<int32_t>(archive.size());
        std::atomic<bool> seen{false};
        EXPECT_EQ(2, RunDialog(&info, [&] { AnswerError(&seen); })) << what;
        EXPECT_TRUE(seen.load()) << what;
        EXPECT_FALSE(Exists(g_appDir + L"updates\\update.lst")) << what;
        EXPECT_FALSE(Exists(g_appDir + L"updates\\update.zip")) << what;
        EXPECT_FALSE(Exists(g_appDir + L"updates\\bad.txt")) << what;
        // Nothing of what could be unpacked stays either: nothing would install or remove it.
        EXPECT_FALSE(Exists(g_appDir + L"updates\\whole.txt")) << what;
        EXPECT_EQ(1, CountEntries(g_appDir + L"updates")) << what;
        EXPECT_EQ("mine", ReadFileBytes(g_appDir + L"updates\\mine.txt")) << what;
        EXPECT_FALSE(Exists(g_appDir + L"patcher.exe")) << what;
    }
}

TEST_F(UpdateFlow, TheBarEndsFullAndCancelStopsTheUnpackingBetweenEntries) {
    const std::string archive = ReadFileBytes(ArchivePath(L"many.zip"));
    CUpdateInfo info = Offered(archive, L"many.zip");
    info.m_fileSize = static_cast<int32_t>(archive.size()) * 2;  // announced wrongly
    bool full = false;
    const INT_PTR result = RunDialog(&info, [&] {
        HWND dialog = nullptr;
        if (!WaitUntil([&] { return (dialog = FindDialog(L"Updating...")) != nullptr; }, 10000)) return;
        HWND bar = GetDlgItem(dialog, IDC_UPDATE_PROGRESS);
        // Full once the download is over, while thousands of entries are still being unpacked.
        full = WaitUntil(
            [&] {
                const LRESULT top = SendMessageW(bar, PBM_GETRANGE, FALSE, 0);
                return top == static_cast<LRESULT>(archive.size()) && SendMessageW(bar, PBM_GETPOS, 0, 0) == top;
            },
            30000);
        WaitUntil([] { return Exists(g_appDir + L"updates\\many\\file0000.txt"); }, 30000);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_TRUE(full);
    EXPECT_EQ(2, result);
    // The worker stops before its next entry (the last one, which would be removed last, is
    // never seen), deletes the archive and every file it unpacked, and the folders it made for
    // them, "updates" too.
    bool lastSeen = false;
    EXPECT_TRUE(WaitUntil(
        [&] {
            lastSeen = lastSeen || Exists(g_appDir + L"updates\\many\\file2999.txt");
            return !Exists(g_appDir + L"updates");
        },
        30000));
    EXPECT_FALSE(lastSeen);
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

TEST_F(UpdateFlow, AnUpdateWithoutTheServiceSignatureIsAFailedDownloadThatWritesNothing) {
    if (BuiltInUpdateKey() == nullptr) GTEST_SKIP() << "built without a key (QB_UPDATE_KEY=none)";
    if (!StandinSignsForUs()) GTEST_SKIP() << "built with a key the stand-in cannot sign for";
    const std::string archive = ReadFileBytes(ArchivePath(L"update.zip"));
    const std::wstring signature = *Offered(archive, L"update.zip").m_signedOffer.signature;
    std::wstring flipped = signature;
    flipped[20] = flipped[20] == L'A' ? L'B' : L'A';
    // The stand-in's signature of this very archive as version 2.7, and of 2.8 as 2.8.
    const std::wstring location = Serve(archive, L"update.zip");
    CUpdateInfo older, same;
    SetReply(L"current_version=2.7\r\nfile_location=" + location + L"\r\nfile_size=1\r\n");
    EXPECT_FALSE(Check(QueryAddress(), &older));
    SetReply(L"current_version=2.8\r\nfile_location=" + location + L"\r\nfile_size=1\r\n");
    EXPECT_FALSE(Check(QueryAddress(), &same));
    // Only the archive's signature, as the stand-in still sends it for programs installed earlier.
    WriteWholeFile(StandinDir() + L"\\update_unsigned", "update_signature\n");
    const SignedOffer oldKeyOnly = Offered(archive, L"update.zip").m_signedOffer;
    DeleteFileW((StandinDir() + L"\\update_unsigned").c_str());
    const char* unsignedFailure = "the update archive is not signed by the service";
    const wchar_t* mismatch = L"!!! Update refused: the signature does not match the offered version and archive";
    struct Case {
        const char* what;
        SignedOffer offer;
        const wchar_t* logged;
        const char* failure;
    };
    const Case cases[] = {
        {"the old key alone", oldKeyOnly, L"!!! Update refused: the service sent no signature for the archive",
         unsignedFailure},
        {"wrong", {L"2.9", flipped}, mismatch, unsignedFailure},
        {"another archive's",
         Offered(ReadFileBytes(ArchivePath(L"layout.zip")), L"other.zip").m_signedOffer, mismatch, unsignedFailure},
        {"garbage", {L"2.9", std::wstring(L"=?garbage?=")}, L"!!! Update refused: the archive's signature is malformed",
         unsignedFailure},
        // Bytes appended after what was signed could hold entries of their own.
        {"over a truncated archive",
         Offered(archive.substr(0, archive.size() - 22), L"short.zip").m_signedOffer, mismatch, unsignedFailure},
        {"an older version's offered as 2.9", {L"2.9", older.m_signedOffer.signature}, mismatch, unsignedFailure},
        {"signed as it is, but not newer", same.m_signedOffer,
         L"!!! Update refused: version 2.8 is not newer than this program's 2.08",
         "the update is not newer than this program"},
    };
    for (const Case& refused : cases) {
        CUpdateInfo info = Offered(archive, L"update.zip");
        info.m_signedOffer = refused.offer;
        VerifyLog log;
        std::atomic<bool> seen{false};
        EXPECT_EQ(2, RunDialog(&info, [&] { AnswerError(&seen); })) << refused.what;
        EXPECT_TRUE(seen.load()) << refused.what;
        // The check names the reason; the worker then logs the failed download as any other.
        const std::string failure = std::string("!!! Update download failed: ") + refused.failure;
        EXPECT_EQ(std::vector<std::wstring>({refused.logged, std::wstring(failure.begin(), failure.end())}),
                  log.Lines())
            << refused.what;
        EXPECT_FALSE(Exists(g_appDir + L"updates")) << refused.what;
        EXPECT_FALSE(Exists(g_appDir + L"patcher.exe")) << refused.what;
    }
    // The stand-in's own reply without signatures: the program's query sees none.
    WriteWholeFile(StandinDir() + L"\\update_unsigned", "");
    EXPECT_FALSE(Offered(archive, L"update.zip").m_signedOffer.signature.has_value());
}
