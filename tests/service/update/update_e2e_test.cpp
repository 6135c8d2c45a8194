// The update check of the real program against the stand-in service, answered as a user
// would: the program's registry points it at the stand-in, which serves the test archives.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include "app_harness.h"
#include "standin_client.h"
#include "update_test_support.h"

using e2e::RecorderApp;

namespace {

constexpr wchar_t kRecorderKey[] = L"Software\\QuillbankRecorder";
constexpr int kRecordButton = 1001;
constexpr int kProgressBar = 1015;
constexpr wchar_t kOfferQuestion[] = L"An update for this software available. Do you want to upgrade it now?";
constexpr wchar_t kRequiredQuestion[] =
    L"An update for this software is available. Do you want to upgrade it now?\nNote: this is a required "
    L"update, the program will exit if you decline the update process.";
constexpr wchar_t kRestart[] = L"The application will restart now, in order to complete the update process.";

// A shown window of the program with that caption.
HWND FindShown(const RecorderApp& app, const wchar_t* caption, DWORD timeoutMs) {
    HWND found = nullptr;
    e2e::WaitFor(
        [&] {
            for (HWND window : e2e::TopLevelWindowsOf(app.ProcessId()))
                if (IsWindowVisible(window) && e2e::WindowText(window) == caption) return (found = window) != nullptr;
            return false;
        },
        timeoutMs);
    return found;
}

std::wstring BoxText(HWND box) { return e2e::WindowText(GetDlgItem(box, 0xFFFF)); }

// A real click on the box's button. Under a loaded X server a box can take a moment to come
// to the front after it is shown, and a click before that lands on the window beneath: the
// click is repeated while the box stays.
bool ClickAnswer(RecorderApp& app, HWND box, int button) {
    e2e::WaitFor([&] { return GetForegroundWindow() == box; }, 3000);
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!IsWindow(box) || !IsWindowVisible(box)) return true;
        if (app.AnswerMessageBox(e2e::MessageBoxInfo{box, L"", L""}, button)) return true;
    }
    return false;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::string Joined(const std::vector<std::wstring>& lines) {
    std::string text;
    for (const std::wstring& line : lines) text += Narrow(line) + "\n";
    return text;
}

class UpdateE2e : public ::testing::Test {
protected:
    void SetUp() override {
        ResetStandin();
        for (const wchar_t* name : {L"update_reply", L"behaviour.update", L"behaviour.files", L"update_unsigned"})
            DeleteFileW((StandinDir() + L"\\" + name).c_str());
        // The prefix's own host (a closed loopback port) comes back in TearDown, so that no
        // later test's start-up query leaves the machine.
        wchar_t previous[1024] = L"";
        DWORD size = sizeof previous;
        if (RegGetValueW(HKEY_CURRENT_USER, kRecorderKey, L"ServerHost", RRF_RT_REG_SZ, nullptr, previous, &size) ==
            ERROR_SUCCESS)
            m_previousHost = previous;
        const std::wstring host = StandinHost();
        RegSetKeyValueW(HKEY_CURRENT_USER, kRecorderKey, L"ServerHost", REG_SZ, host.c_str(),
                        static_cast<DWORD>((host.size() + 1) * sizeof(wchar_t)));
        m_archive = ReadFileBytes(ArchivePath(L"update.zip"));
        WriteWholeFile(StandinDir() + L"\\files\\update.zip", m_archive);
    }
    void TearDown() override {
        if (m_previousHost.empty()) {
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kRecorderKey, L"ServerHost");
            return;
        }
        RegSetKeyValueW(HKEY_CURRENT_USER, kRecorderKey, L"ServerHost", REG_SZ, m_previousHost.c_str(),
                        static_cast<DWORD>((m_previousHost.size() + 1) * sizeof(wchar_t)));
    }
    std::wstring m_previousHost;

    void Offer(bool required) {
        const std::string reply = "current_version=2.9\r\nfile_location=http://" + Narrow(StandinHost()) +
                                  "/files/update.zip\r\nfile_size=" + std::to_string(m_archive.size()) +
                                  "\r\nmust_update=" + (required ? "true" : "false") + "\r\n";
        WriteWholeFile(StandinDir() + L"\\update_reply", reply);
    }
    static void SetBehaviour(const wchar_t* which, const std::string& behaviour) {
        WriteWholeFile(StandinDir() + L"\\" + which, behaviour + "\n");
    }
    // Answers the update question, after checking its text.
    static void Answer(RecorderApp& app, const wchar_t* question, int button) {
        const e2e::MessageBoxInfo box = app.WaitForMessageBox(20000);
        ASSERT_NE(nullptr, box.window) << "no question";
        EXPECT_EQ(L"Question", box.caption);
        EXPECT_EQ(question, box.text);
        EXPECT_EQ(app.MainWindow(), GetWindow(box.window, GW_OWNER));
        ASSERT_TRUE(ClickAnswer(app, box.window, button));
    }
    // The program goes on: its window takes input again and closes as it does for the user.
    static void ExpectItGoesOnAndCloses(RecorderApp& app) {
        EXPECT_TRUE(e2e::WaitFor([&] { return IsWindowEnabled(app.MainWindow()) != FALSE; }, 10000));
        EXPECT_TRUE(app.IsRunning());
        PostMessageW(app.MainWindow(), WM_CLOSE, 0, 0);
        EXPECT_EQ(0u, app.WaitForExit());
    }
    static size_t FileRequests() {
        size_t count = 0;
        for (const StandinRecord& record : StandinRecords())
            if (record.at("path").rfind("/files/", 0) == 0) ++count;
        return count;
    }

    std::string m_archive;
};

}  // namespace

TEST_F(UpdateE2e, AcceptedUpdateRunsTheUpdaterFromTheArchiveAndCloses) {
    if (QB_PROGRAM_UPDATE_KEY == 2) GTEST_SKIP() << "built with a key the stand-in cannot sign for";
    Offer(false);
    SetBehaviour(L"behaviour.files", "slow " + std::to_string(m_archive.size()));  // about a second
    RecorderApp app;
    ASSERT_TRUE(app.Start());
    Answer(app, kOfferQuestion, IDYES);
    const HWND dialog = FindShown(app, L"Updating...", 10000);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(app.MainWindow(), GetWindow(dialog, GW_OWNER));
    EXPECT_TRUE(e2e::WaitFor([&] { return SendMessageW(GetDlgItem(dialog, kProgressBar), PBM_GETPOS, 0, 0) > 0; },
                             10000));
    const HWND info = FindShown(app, L"Information", 20000);
    ASSERT_NE(nullptr, info) << Joined(app.LogLines());
    EXPECT_EQ(kRestart, BoxText(info));
    EXPECT_FALSE(e2e::FileExists(e2e::JoinPath(app.AppDir(), L"patcher-started.txt")));  // not before OK
    ASSERT_TRUE(ClickAnswer(app, info, IDOK));
    EXPECT_EQ(0u, app.WaitForExit());

    const std::wstring record = e2e::JoinPath(app.AppDir(), L"patcher-started.txt");
    ASSERT_TRUE(e2e::WaitFor([&] { return e2e::FileExists(record); }, 10000)) << "the updater did not run";
    std::string started;  // the record is text with CR LF line ends
    for (char c : ReadFileBytes(record))
        if (c != '\r') started.push_back(c);
    const std::string folder = Narrow(app.AppDir());
    EXPECT_NE(std::string::npos, started.find("program=" + folder + "\\patcher.exe\n")) << started;
    EXPECT_TRUE(started.find("current=" + folder + "\n") != std::string::npos ||
                started.find("current=" + folder + "\\\n") != std::string::npos)
        << started;
    EXPECT_EQ(std::string::npos, started.find(".exe ")) << "the updater got arguments: " << started;
    EXPECT_EQ("2.9\n", ReadFileBytes(app.AppDir() + L"\\updates\\data\\new_version.txt"));
    EXPECT_FALSE(e2e::FileExists(app.AppDir() + L"\\updates\\update.zip"));
    const std::vector<std::wstring> lines = app.LogLines();
    if (QB_PROGRAM_UPDATE_KEY == 1) {
        EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), L"Update archive signature verified"))
            << Joined(lines);
    }
}

// A hostile network between the program and the service hands over another archive than the
// one the service signed: the program refuses it as a failed download and goes on.
TEST_F(UpdateE2e, AnArchiveSwappedOnTheWayIsRefusedBeforeAnythingIsWritten) {
    if (QB_PROGRAM_UPDATE_KEY == 0) GTEST_SKIP() << "built without a key (QB_UPDATE_KEY=none)";
    Offer(false);
    SetBehaviour(L"behaviour.files", "reply 200 " + HexOf(ReadFileBytes(ArchivePath(L"layout.zip"))));
    RecorderApp app;
    ASSERT_TRUE(app.Start());
    Answer(app, kOfferQuestion, IDYES);
    const HWND box = FindShown(app, L"Error", 20000);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(L"Error occured while updating software", BoxText(box));
    EXPECT_EQ(L"Updating...", e2e::WindowText(GetWindow(box, GW_OWNER)));
    ASSERT_TRUE(ClickAnswer(app, box, IDOK));
    ExpectItGoesOnAndCloses(app);
    const std::vector<std::wstring> lines = app.LogLines();
    EXPECT_NE(lines.end(),
              std::find(lines.begin(), lines.end(),
                        L"!!! Update refused: the signature does not match the offered version and archive"))
        << Joined(lines);
    EXPECT_FALSE(e2e::FileExists(app.AppDir() + L"\\updates"));
    EXPECT_FALSE(e2e::FileExists(e2e::JoinPath(app.AppDir(), L"patcher-started.txt")));
}

// An update that brings no updater, to a program that has none beside it: closing would end
// the program with nothing installed, so the user is told and the program goes on.
TEST_F(UpdateE2e, AnUpdaterThatCannotBeStartedIsToldAndTheProgramGoesOn) {
    if (QB_PROGRAM_UPDATE_KEY == 2) GTEST_SKIP() << "built with a key the stand-in cannot sign for";
    m_archive = ReadFileBytes(ArchivePath(L"layout.zip"));
    WriteWholeFile(StandinDir() + L"\\files\\update.zip", m_archive);
    Offer(false);
    RecorderApp app;
    ASSERT_TRUE(app.Start());
    Answer(app, kOfferQuestion, IDYES);
    const HWND info = FindShown(app, L"Information", 30000);
    ASSERT_NE(nullptr, info) << Joined(app.LogLines());
    ASSERT_TRUE(ClickAnswer(app, info, IDOK));
    const HWND box = FindShown(app, L"Update error", 20000);
    ASSERT_NE(nullptr, box) << Joined(app.LogLines());
    const std::wstring text = BoxText(box);
    EXPECT_EQ(0u, text.find(L"The update could not be completed: the updater patcher.exe could not be started.\n"))
        << Narrow(text);
    EXPECT_NE(std::wstring::npos, text.find(L"\n\nThe program goes on in its current version, and the update will "
                                            L"be offered again at its next start."))
        << Narrow(text);
    EXPECT_EQ(app.MainWindow(), GetWindow(box, GW_OWNER));
    ASSERT_TRUE(ClickAnswer(app, box, IDOK));
    ExpectItGoesOnAndCloses(app);
    EXPECT_NE(std::wstring::npos, Joined(app.LogLines()).find("!!! The updater could not be started: "));
}

TEST_F(UpdateE2e, DeclinedUpdateLeavesTheProgramRunning) {
    Offer(false);
    RecorderApp app;
    ASSERT_TRUE(app.Start());
    Answer(app, kOfferQuestion, IDNO);
    ExpectItGoesOnAndCloses(app);
    EXPECT_EQ(0u, FileRequests());
}

TEST_F(UpdateE2e, RequiredUpdateDeclinedDuringARecordingClosesAndKeepsTheRecording) {
    Offer(true);
    SetBehaviour(L"behaviour.update", "hang 6");  // the question comes while recording
    RecorderApp app;
    ASSERT_TRUE(app.Start());
    app.ClickControl(kRecordButton);
    std::wstring clip;
    ASSERT_TRUE(e2e::WaitFor(
        [&] {
            for (const std::wstring& line : app.LogLines())
                if (line.rfind(L"Target file to write: ", 0) == 0) clip = line.substr(22);
            return !clip.empty();
        },
        10000));
    Answer(app, kRequiredQuestion, IDNO);
    EXPECT_EQ(0u, app.WaitForExit());
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(clip.c_str(), GetFileExInfoStandard, &data)) << Narrow(clip);
    EXPECT_GT(data.nFileSizeLow, 12000u) << "less than a second kept";  // 12000 bytes a second
    bool stopped = false;
    for (const std::wstring& line : app.LogLines()) stopped = stopped || line == L"Recording stopped";
    EXPECT_TRUE(stopped);
    EXPECT_EQ(0u, FileRequests());
}

TEST_F(UpdateE2e, AFailedQueryShowsNothing) {
    Offer(false);
    SetBehaviour(L"behaviour.update", "reply 500 " + HexOf(ReadWholeFile(StandinDir() + L"\\update_reply")));
    RecorderApp app;
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(WaitForStandinRecords(1, 10000));
    // The reply has been sent; a question would follow within moments.
    EXPECT_EQ(nullptr, app.WaitForMessageBox(3000).window);
    ExpectItGoesOnAndCloses(app);
    for (const std::wstring& line : app.LogLines()) EXPECT_EQ(std::wstring::npos, line.find(L"pdate")) << Narrow(line);
}

TEST_F(UpdateE2e, CancelDuringTheDownloadOfARequiredUpdateGoesOn) {
    Offer(true);
    SetBehaviour(L"behaviour.files", "slow 10000");
    RecorderApp app;
    ASSERT_TRUE(app.Start());
    Answer(app, kRequiredQuestion, IDYES);
    const HWND dialog = FindShown(app, L"Updating...", 10000);
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(e2e::WaitFor(
        [&] { return SendMessageW(GetDlgItem(dialog, kProgressBar), PBM_GETPOS, 0, 0) > 0; }, 10000));
    ASSERT_TRUE(ClickAnswer(app, dialog, IDCANCEL));
    ASSERT_TRUE(e2e::WaitFor([&] { return !IsWindow(dialog); }, 10000));
    ExpectItGoesOnAndCloses(app);
    EXPECT_FALSE(e2e::FileExists(e2e::JoinPath(app.AppDir(), L"patcher-started.txt")));
    EXPECT_FALSE(e2e::FileExists(e2e::JoinPath(app.AppDir(), L"patcher.exe")));
}

namespace {

struct DamagedArchive {
    const char* name;
    const wchar_t* file;  // among the test archives; null: an error page served as the archive
};

void PrintTo(const DamagedArchive& archive, std::ostream* out) { *out << archive.name; }

class DamagedUpdateE2e : public UpdateE2e, public ::testing::WithParamInterface<DamagedArchive> {};

}  // namespace

// A required update, so that a failure taken for success would restart the program at every
// start.
TEST_P(DamagedUpdateE2e, IsAFailedDownloadWithoutRestart) {
    m_archive = GetParam().file != nullptr ? ReadFileBytes(ArchivePath(GetParam().file))
                                           : std::string("<html><body>Service unavailable</body></html>");
    WriteWholeFile(StandinDir() + L"\\files\\update.zip", m_archive);
    Offer(true);
    RecorderApp app;
    ASSERT_TRUE(app.Start());
    Answer(app, kRequiredQuestion, IDYES);
    const HWND box = FindShown(app, L"Error", 30000);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(L"Error occured while updating software", BoxText(box));
    ASSERT_TRUE(ClickAnswer(app, box, IDOK));
    // No restart message holds the window: it takes input again and closes as usual.
    ExpectItGoesOnAndCloses(app);
    bool logged = false;
    for (const std::wstring& line : app.LogLines())
        logged = logged || line == L"!!! Update download failed: the update archive is damaged or empty";
    EXPECT_TRUE(logged);
    for (const wchar_t* name : {L"update.lst", L"update.zip", L"bad.txt"})
        EXPECT_FALSE(e2e::FileExists(app.AppDir() + L"\\updates\\" + name)) << Narrow(name);
}

INSTANTIATE_TEST_SUITE_P(Archives, DamagedUpdateE2e,
                         ::testing::Values(DamagedArchive{"ErrorPage", nullptr},
                                           DamagedArchive{"Truncated", L"truncated.zip"},
                                           DamagedArchive{"WrongChecksum", L"crc.zip"},
                                           DamagedArchive{"NoEntries", L"empty.zip"}),
                         [](const ::testing::TestParamInfo<DamagedArchive>& info) { return info.param.name; });
