// Publishing through the real windows, against the stand-in service (run inside
// tests/standin/standin.sh): the whole road of an episode, the browser pages, the failures
// that must leave the dialog open, and Cancel in the middle of an upload.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <tlhelp32.h>
#include "../support/thread_count.h"
#include <cstdint>
#include <cstdio>
#include <cwctype>
#include <map>
#include <string>
#include <vector>
#include "../../recorder_app/res/resource.h"
#include "app_harness.h"
#include "publish_driver.h"
#include "slow_service.h"

using namespace e2e;

namespace {

const wchar_t kHttpCommandKey[] = L"http\\shell\\open\\command";

std::string SpotBytes(std::initializer_list<uint32_t> spots) {
    std::string bytes;
    for (uint32_t spot : spots)
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(spot >> shift));
    return bytes;
}

// The stand-in browser as the prefix's handler of http addresses, for one test.
class StandInBrowser {
public:
    StandInBrowser() : m_record(WindowsPath(FromUtf8(QB_BROWSER_STUB_DIR)) + L"\\browser_stub.txt") {
        DeleteFileW(m_record.c_str());
        RegCreateKeyExW(HKEY_CLASSES_ROOT, kHttpCommandKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key, nullptr);
        wchar_t old[1024] = L"";
        DWORD size = sizeof old;
        if (RegQueryValueExW(m_key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS)
            m_old = old;
        const std::wstring command =
            L"\"" + WindowsPath(FromUtf8(QB_BROWSER_STUB_DIR)) + L"\\browser_stub.exe\" \"%1\"";
        RegSetValueExW(m_key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>((command.size() + 1) * 2));
    }
    ~StandInBrowser() {
        RegSetValueExW(m_key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(m_old.c_str()),
                       static_cast<DWORD>((m_old.size() + 1) * 2));
        RegCloseKey(m_key);
        DeleteFileW(m_record.c_str());
    }
    // The first address the browser was given, once it has been.
    std::wstring WaitForAddress() const {
        std::string bytes;
        WaitFor([&] { return (bytes = ReadBytes(m_record)).find('\n') != std::string::npos; }, 20000);
        return FromUtf8(bytes.substr(0, bytes.find('\n')));
    }

private:
    std::wstring m_record;
    HKEY m_key = nullptr;
    std::wstring m_old;
};

// The stand-in service's state: what it was told to do and what it recorded.
class StandIn {
public:
    StandIn() : m_dir(WindowsPath(Env(L"QB_STANDIN_DIR"))) {}
    std::wstring Host() const { return Env(L"QB_STANDIN_HOST"); }
    void Behave(const std::string& line) const { WriteBytes(m_dir + L"\\behaviour", line + "\n"); }
    void BehaveNormally() const { DeleteFileW((m_dir + L"\\behaviour").c_str()); }
    std::string Upload(const std::wstring& name) const { return ReadBytes(m_dir + L"\\uploads\\" + name); }

    // Each request's record, key to decoded value, in arrival order.
    std::vector<std::map<std::string, std::string>> Requests() const {
        std::vector<std::map<std::string, std::string>> requests;
        for (int n = 1;; ++n) {
            wchar_t name[32];
            swprintf(name, 32, L"\\requests\\%04d.txt", n);
            const std::string text = ReadBytes(m_dir + name);
            if (text.empty()) return requests;
            std::map<std::string, std::string> record;
            size_t at = 0;
            for (size_t end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
                const std::string line = text.substr(at, end - at);
                const size_t eq = line.find('=');
                std::string value;
                for (size_t i = eq + 1; i + 1 < line.size(); i += 2)
                    value.push_back(static_cast<char>(std::stoi(line.substr(i, 2), nullptr, 16)));
                record[line.substr(0, eq)] = value;
            }
            requests.push_back(record);
        }
    }
    std::vector<std::map<std::string, std::string>> Publications() const {
        std::vector<std::map<std::string, std::string>> found;
        for (auto& request : Requests())
            if (request["raw.0.value"] == "2") found.push_back(request);
        return found;
    }

private:
    std::wstring m_dir;
};

int CountLines(const RecorderApp& app, const std::wstring& line) {
    int count = 0;
    for (const std::wstring& l : app.LogLines()) count += l == line ? 1 : 0;
    return count;
}

// The text of an edit control of another process, which only the control itself can tell.
std::wstring FieldText(HWND dialog, int id) {
    wchar_t text[256] = L"";
    SendMessageW(GetDlgItem(dialog, id), WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
    return text;
}

bool LogHasLineStarting(const RecorderApp& app, const std::wstring& start) {
    for (const std::wstring& l : app.LogLines())
        if (l.rfind(start, 0) == 0) return true;
    return false;
}

// Waits until the window's thread is back in its message loop (a handler has returned).
void Settle(HWND window) {
    DWORD_PTR result = 0;
    ASSERT_NE(SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result), 0);
}

// Fills in the episode and presses OK.
void SubmitEpisode(RecorderApp& app, HWND dialog, const std::wstring& title) {
    ASSERT_TRUE(FillEpisode(app, dialog, title));
    app.ClickWindow(GetDlgItem(dialog, IDOK));
}

class ClipFolder {
public:
    ClipFolder() {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        m_path = JoinPath(temp, L"qb-publish-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                    std::to_wstring(GetTickCount()));
        CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~ClipFolder() {
        for (const std::wstring& name : m_files) DeleteFileW(JoinPath(m_path, name).c_str());
        RemoveDirectoryW(m_path.c_str());
    }
    std::wstring Path(const std::wstring& name) {
        m_files.push_back(name);
        return JoinPath(m_path, name);
    }

private:
    std::wstring m_path;
    std::vector<std::wstring> m_files;
};

// Removes the copies earlier runs left in a podcast's folder, so that a name the scenario
// expects is free.
void RemoveCopies(const std::wstring& podcastFolder) {
    const std::wstring folder = DocumentsFolder() + L"\\My Podcasts\\" + podcastFolder + L"\\Unpublished";
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*.mp3").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        DeleteFileW((folder + L"\\" + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

DWORD HandleCount(DWORD processId) {
    DWORD count = 0;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
    GetProcessHandleCount(process, &count);
    CloseHandle(process);
    return count;
}

}  // namespace

TEST(Publish, OpenedClipWithSpotsThenARecordedClipWithoutThem) {
    StandIn service;
    ProgramSettings settings(service.Host());
    settings.SetDword(L"LastPodcastID", 5);
    StandInBrowser browser;
    ClipFolder folder;
    const std::wstring clip = folder.Path(L"opened.mp3");
    ASSERT_TRUE(WriteSilentClip(clip, 30000));
    ASSERT_TRUE(WriteBytes(folder.Path(L"opened.mp3.ads"), SpotBytes({20000, 5000})));
    RemoveCopies(L"Mr_ Sound");
    RemoveCopies(L"Nine");

    RecorderApp app;
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(OpenClip(app, clip));
    app.ClickControl(IDC_PUBLISH);  // spots are set: no question
    HWND dialog = WaitForSubmitDialog(app);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(dialog), L"Quillbank Recorder 2.08");
    EXPECT_FALSE(Enabled(dialog, IDOK));
    SetField(dialog, IDC_LOGIN_NAME, L"fivenine");
    SetField(dialog, IDC_PASSWORD, L"five-nine-five");
    ASSERT_TRUE(LogIn(app, dialog));
    // Ids 5, 9, 5 with 5 remembered: the later 5 wins.
    HWND combo = GetDlgItem(dialog, IDC_PODCAST);
    EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 2);
    EXPECT_FALSE(Enabled(dialog, IDC_LOGIN));
    EXPECT_FALSE(Enabled(dialog, IDC_LOGIN_NAME));

    SubmitEpisode(app, dialog, L"My show: part 1?");
    MessageBoxInfo done = WaitForBox(app, L"Done", 30000);
    ASSERT_NE(done.window, nullptr);
    EXPECT_FALSE(IsWindow(dialog));
    ASSERT_TRUE(app.AnswerMessageBox(done, IDYES));
    EXPECT_EQ(browser.WaitForAddress(), L"http://fifth." + service.Host() + L"/index.html");

    const std::wstring name = TodayText() + L"-My_show__part_1_.mp3";
    const std::wstring copy = DocumentsFolder() + L"\\My Podcasts\\Mr_ Sound\\Unpublished\\" + name;
    EXPECT_EQ(ReadBytes(copy), ReadBytes(clip));
    EXPECT_EQ(service.Upload(name), ReadBytes(clip));
    auto publications = service.Publications();
    ASSERT_EQ(publications.size(), 1u);
    EXPECT_EQ(publications[0]["raw.part_order"],
              "request_type,login_name,password,audio_software_version,audio_software_version_ex,podcast_id,"
              "title,description,crc,adv_spot,audio_file_name,audio_file_size,audio_file");
    EXPECT_EQ(publications[0]["raw.5.value"], "5");
    EXPECT_EQ(publications[0]["raw.9.value"], "5000,20000");
    EXPECT_TRUE(FileExists(clip));  // opened, so never deleted
    Settle(app.MainWindow());
    EXPECT_FALSE(Enabled(app.MainWindow(), IDC_PUBLISH));  // the new mode
    EXPECT_FALSE(Enabled(app.MainWindow(), IDC_PLAY));
    EXPECT_TRUE(Enabled(app.MainWindow(), IDC_RECORD));
    EXPECT_EQ(settings.String(L"LastUser"), L"fivenine");
    EXPECT_EQ(settings.Dword(L"LastPodcastID"), 5u);

    // Recordings of ours, published without spots to a podcast whose site name is no host
    // name: each recording is deleted and the user told, but no web page is offered.
    auto record = [&](std::wstring* recorded) {
        app.ClickControl(IDC_RECORD);
        ASSERT_TRUE(WaitForLine(app, L"Switching interface to the recording mode"));
        Sleep(1500);  // the clip's length
        app.ClickControl(IDC_RECORD);
        ASSERT_TRUE(WaitForLine(app, L"Switching interface to the idle mode"));
        for (const std::wstring& line : app.LogLines())
            if (line.rfind(L"Target file to write: ", 0) == 0) *recorded = line.substr(22);
        ASSERT_TRUE(FileExists(*recorded));
    };
    auto publishToNine = [&](const std::wstring& title, int publication) {
        ASSERT_TRUE(PublishWithoutSpots(app, IDYES));
        HWND dialog = WaitForSubmitDialog(app);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(FieldText(dialog, IDC_LOGIN_NAME), L"fivenine");
        ASSERT_TRUE(LogIn(app, dialog));  // the password of the first publication is filled in
        SendMessageW(GetDlgItem(dialog, IDC_PODCAST), CB_SETCURSEL, 1, 0);
        SubmitEpisode(app, dialog, title);
        ASSERT_TRUE(WaitFor([&] { return CountLines(app, L"Publication completed") == publication; }, 30000));
        Settle(app.MainWindow());
        const MessageBoxInfo published = WaitForBox(app, L"Done");
        ASSERT_NE(published.window, nullptr);
        EXPECT_EQ(published.text, L"Your podcasting has been published successfully.");
        EXPECT_EQ(GetDlgItem(published.window, IDYES), nullptr);  // nothing to look at
        ASSERT_TRUE(app.AnswerMessageBox(published, IDOK));
    };
    std::wstring recorded;
    record(&recorded);
    // A title too long for a file name: the copy's name is cut, the service gets it whole.
    const std::wstring longTitle = L"Second " + std::wstring(120, L'\u65e5');
    publishToNine(longTitle, 2);
    EXPECT_TRUE(LogHasLineStarting(app, L"!!! Site name \"nine.example/x\""));
    EXPECT_FALSE(FileExists(recorded));
    publications = service.Publications();
    ASSERT_EQ(publications.size(), 2u);
    EXPECT_EQ(FromUtf8(publications[1]["raw.6.value"]), longTitle);
    const std::wstring copyPath = FromUtf8(publications[1]["raw.10.value"]);
    const std::wstring copyStart =
        DocumentsFolder() + L"\\My Podcasts\\Nine\\Unpublished\\" + TodayText() + L"-Second_\u65e5";
    EXPECT_EQ(copyPath.rfind(copyStart, 0), 0u) << publications[1]["raw.10.value"];
    EXPECT_TRUE(FileExists(copyPath));
    EXPECT_EQ(publications[1]["raw.9.value"], "");
    EXPECT_EQ(settings.Dword(L"LastPodcastID"), 9u);

    // Another recording on the same day under a title cut to the same name: its copy goes
    // beside the first one's, which is all that is left of that episode.
    record(&recorded);
    publishToNine(longTitle + L" (the rest)", 3);
    EXPECT_FALSE(FileExists(recorded));
    publications = service.Publications();
    ASSERT_EQ(publications.size(), 3u);
    const std::wstring secondCopy = FromUtf8(publications[2]["raw.10.value"]);
    EXPECT_EQ(secondCopy.rfind(copyStart, 0), 0u) << publications[2]["raw.10.value"];
    EXPECT_EQ(secondCopy.substr(secondCopy.size() - 8), L" (2).mp3");
    // Each copy still holds what the service was sent from it.
    EXPECT_EQ(publications[1]["raw.11.value"], std::to_string(ReadBytes(copyPath).size()));
    EXPECT_EQ(publications[2]["raw.11.value"], std::to_string(ReadBytes(secondCopy).size()));
}

// A published copy opened again, under another spelling of its path, and published under
// the same title on the same day: the copy to make is the clip itself, which must reach the
// service whole and stay whole.
TEST(Publish, TheLocalCopyPublishedAgainStaysWhole) {
    StandIn service;
    ProgramSettings settings(service.Host());
    ClipFolder folder;
    const std::wstring clip = folder.Path(L"again.mp3");
    ASSERT_TRUE(WriteSilentClip(clip, 3000));
    const std::string original = ReadBytes(clip);
    const std::wstring name = TodayText() + L"-Again.mp3";
    const std::wstring copy = DocumentsFolder() + L"\\My Podcasts\\The Morning Show\\Unpublished\\" + name;
    DeleteFileW(copy.c_str());

    RecorderApp app;
    ASSERT_TRUE(app.Start());
    auto publish = [&](const std::wstring& path) {
        ASSERT_TRUE(OpenClip(app, path));
        ASSERT_TRUE(PublishWithoutSpots(app, IDYES));
        HWND dialog = WaitForSubmitDialog(app);
        ASSERT_NE(dialog, nullptr);
        SetField(dialog, IDC_LOGIN_NAME, L"morning");
        SetField(dialog, IDC_PASSWORD, L"secret-morning-7");
        ASSERT_TRUE(LogIn(app, dialog));
        SubmitEpisode(app, dialog, L"Again");
        const MessageBoxInfo done = WaitForBox(app, L"Done", 30000);
        ASSERT_NE(done.window, nullptr);
        ASSERT_TRUE(app.AnswerMessageBox(done, IDNO));
    };
    // Byte for byte, without printing a clip's bytes when they differ.
    auto sameAsOriginal = [&](const std::string& bytes) {
        return bytes == original ? ::testing::AssertionSuccess()
                                 : ::testing::AssertionFailure() << bytes.size() << " bytes, not the clip's "
                                                                 << original.size();
    };
    publish(clip);
    ASSERT_TRUE(sameAsOriginal(ReadBytes(copy)));
    std::wstring otherSpelling = copy;
    for (wchar_t& c : otherSpelling) c = static_cast<wchar_t>(towlower(c));
    publish(otherSpelling);

    EXPECT_TRUE(sameAsOriginal(ReadBytes(copy)));
    EXPECT_TRUE(sameAsOriginal(service.Upload(name)));
    auto publications = service.Publications();
    ASSERT_EQ(publications.size(), 2u);
    EXPECT_EQ(publications[1]["raw.11.value"], std::to_string(original.size()));
    EXPECT_TRUE(FileExists(clip));
    DeleteFileW(copy.c_str());
}

TEST(Publish, FailuresLeaveTheDialogOpen) {
    StandIn service;
    ProgramSettings settings(service.Host());
    StandInBrowser browser;
    ClipFolder folder;
    const std::wstring clip = folder.Path(L"nospots.mp3");
    ASSERT_TRUE(WriteSilentClip(clip, 10000));

    RecorderApp app;
    ASSERT_TRUE(app.Start());
    // The button is off without a clip; the command itself still refuses.
    PostMessageW(app.MainWindow(), WM_COMMAND, IDC_PUBLISH, 0);
    MessageBoxInfo box = WaitForBox(app, L"Error");
    EXPECT_EQ(box.text, L"There is nothing to submit");
    ASSERT_TRUE(app.AnswerMessageBox(box, IDOK));

    ASSERT_TRUE(OpenClip(app, clip));
    ASSERT_TRUE(PublishWithoutSpots(app, IDNO));
    ASSERT_TRUE(WaitForLine(app, L"Publication is aborted by user"));
    EXPECT_TRUE(Enabled(app.MainWindow(), IDC_PUBLISH));
    ASSERT_TRUE(PublishWithoutSpots(app, IDYES));
    HWND dialog = WaitForSubmitDialog(app);
    ASSERT_NE(dialog, nullptr);

    SetField(dialog, IDC_LOGIN_NAME, L"Zoë & #1");
    app.ClickWindow(GetDlgItem(dialog, IDC_FORGOT_PASSWORD));
    EXPECT_EQ(browser.WaitForAddress(), L"http://www.quillbank.com/forgotpwd.html?username=Zo%C3%AB%20%26%20%231");

    std::wstring failure;
    SetField(dialog, IDC_LOGIN_NAME, L"morning");
    SetField(dialog, IDC_PASSWORD, L"wrong");
    EXPECT_FALSE(LogIn(app, dialog, &failure));
    EXPECT_EQ(failure, L"Wrong login name or password");
    EXPECT_TRUE(Enabled(dialog, IDC_LOGIN));
    service.Behave("reply 200 ");
    EXPECT_FALSE(LogIn(app, dialog, &failure));
    EXPECT_EQ(failure, L"Server returned nothing");
    service.BehaveNormally();
    SetField(dialog, IDC_PASSWORD, L"secret-morning-7");
    ASSERT_TRUE(LogIn(app, dialog));

    SubmitEpisode(app, dialog, L"   ");
    box = WaitForBox(app, L"A little problem...");
    EXPECT_EQ(box.text, L"Please, fill in the episode title first.");
    ASSERT_TRUE(app.AnswerMessageBox(box, IDOK));

    // A copy that cannot be made (a folder stands in its way) sends nothing.
    const std::wstring unpublished = DocumentsFolder() + L"\\My Podcasts\\The Morning Show\\Unpublished\\";
    const std::wstring blocked = unpublished + TodayText() + L"-blocked.mp3";
    ASSERT_EQ(SHCreateDirectoryExW(nullptr, blocked.c_str(), nullptr), ERROR_SUCCESS);
    const size_t publishedBefore = service.Publications().size();
    SubmitEpisode(app, dialog, L"blocked");
    box = WaitForBox(app, L"Error");
    RemoveDirectoryW(blocked.c_str());
    EXPECT_NE(box.text.find(blocked), std::wstring::npos) << box.text;
    ASSERT_TRUE(app.AnswerMessageBox(box, IDOK));
    EXPECT_TRUE(LogHasLineStarting(app, L"!!! Copying the clip to " + blocked + L" failed: "));
    EXPECT_EQ(service.Publications().size(), publishedBefore);

    service.Behave("reply 200 4641494c204469736b2071756f74612065786365656465640d0a");  // FAIL Disk quota exceeded
    SubmitEpisode(app, dialog, L"Refused");
    box = WaitForBox(app, L"Episode publication failed", 30000);
    service.BehaveNormally();
    EXPECT_EQ(box.text.rfind(L"Quillbank message: Disk quota exceeded\n\n", 0), 0u) << box.text;
    EXPECT_NE(box.text.find(unpublished + TodayText() + L"-Refused.mp3"), std::wstring::npos);
    ASSERT_TRUE(app.AnswerMessageBox(box, IDOK));
    EXPECT_TRUE(IsWindowVisible(dialog));  // still logged in
    EXPECT_TRUE(Enabled(dialog, IDC_EPISODE_TITLE));
    EXPECT_FALSE(Enabled(dialog, IDC_LOGIN));

    app.ClickWindow(GetDlgItem(dialog, IDCANCEL));
    ASSERT_TRUE(WaitForLine(app, L"Publication cancelled"));
    Settle(app.MainWindow());
    EXPECT_TRUE(Enabled(app.MainWindow(), IDC_PUBLISH));  // idle, the clip kept
    EXPECT_TRUE(Enabled(app.MainWindow(), IDC_PLAY));
}

TEST(Publish, RefusedConnectionFailsTheLogin) {
    std::wstring closedHost;
    {
        // A port that was just free, now closed again: connecting to it is refused.
        SlowService service;
        ASSERT_TRUE(service.Listening());
        closedHost = service.Host();
    }
    ProgramSettings settings(closedHost);
    ClipFolder folder;
    const std::wstring clip = folder.Path(L"clip.mp3");
    ASSERT_TRUE(WriteSilentClip(clip, 5000));
    RecorderApp app;
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(OpenClip(app, clip));
    ASSERT_TRUE(PublishWithoutSpots(app, IDYES));
    HWND dialog = WaitForSubmitDialog(app);
    ASSERT_NE(dialog, nullptr);
    SetField(dialog, IDC_LOGIN_NAME, L"morning");
    SetField(dialog, IDC_PASSWORD, L"secret-morning-7");
    std::wstring failure;
    EXPECT_FALSE(LogIn(app, dialog, &failure));
    EXPECT_EQ(failure, L"Couldn't connect to server");
    EXPECT_TRUE(HasLine(app, L"Login failed: Couldn't connect to server"));
}

TEST(Publish, LoginToAServiceThatNeverAnswersEndsByTheTimeOut) {
    StandIn service;
    ProgramSettings settings(service.Host());
    ClipFolder folder;
    const std::wstring clip = folder.Path(L"clip.mp3");
    ASSERT_TRUE(WriteSilentClip(clip, 5000));
    RecorderApp app;
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(OpenClip(app, clip));
    ASSERT_TRUE(PublishWithoutSpots(app, IDYES));
    HWND dialog = WaitForSubmitDialog(app);
    ASSERT_NE(dialog, nullptr);
    SetField(dialog, IDC_LOGIN_NAME, L"morning");
    SetField(dialog, IDC_PASSWORD, L"secret-morning-7");
    service.Behave("hang 60");  // accepts the request and says nothing for a minute
    std::wstring failure;
    EXPECT_FALSE(LogIn(app, dialog, &failure, 50000));
    EXPECT_EQ(failure, L"Timeout was reached");
    EXPECT_TRUE(Enabled(dialog, IDC_LOGIN));
}

TEST(Publish, FiftyCancelsDuringSlowUploads) {
    SlowService service;
    ASSERT_TRUE(service.Listening());
    ProgramSettings settings(service.Host());
    ClipFolder folder;
    const std::wstring clip = folder.Path(L"long.mp3");
    ASSERT_TRUE(WriteSilentClip(clip, 15 * 60000));  // 11 MB: 13 s at the trickle
    RemoveCopies(L"Slow Show");

    RecorderApp app;
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(OpenClip(app, clip));
    ASSERT_TRUE(PublishWithoutSpots(app, IDYES));
    HWND dialog = WaitForSubmitDialog(app);
    ASSERT_NE(dialog, nullptr);
    SetField(dialog, IDC_LOGIN_NAME, L"anyone");
    ASSERT_TRUE(LogIn(app, dialog));
    ASSERT_TRUE(FillEpisode(app, dialog, L"Cancelled"));
    const int threadsBefore = ThreadCount(app.ProcessId());
    const DWORD handlesBefore = HandleCount(app.ProcessId());

    // The buttons are pressed by their own click message: a real click first waits for the
    // window to come to the front, which would make this test a matter of minutes.
    auto press = [](HWND window, int id) { PostMessageW(GetDlgItem(window, id), BM_CLICK, 0, 0); };
    constexpr int kRounds = 50;
    for (int round = 0; round < kRounds; ++round) {
        press(dialog, IDOK);
        HWND progress = WaitForProgressDialog(app);
        ASSERT_NE(progress, nullptr) << "round " << round;
        // Cancel once the upload is under way.
        ASSERT_TRUE(WaitFor([&] { return service.UploadsStarted() > round; }, 10000)) << "round " << round;
        press(progress, IDCANCEL);
        const MessageBoxInfo box = WaitForBox(app, L"Episode publication failed");
        ASSERT_NE(box.window, nullptr) << "round " << round;
        EXPECT_FALSE(IsWindow(progress));
        EXPECT_EQ(box.text.rfind(L"Quillbank message: ", 0), 0u);
        press(box.window, IDOK);
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(box.window); }, 10000)) << "round " << round;
    }
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_TRUE(Enabled(dialog, IDOK));
    // Every abandoned worker ended its transfer and itself.
    EXPECT_TRUE(WaitFor([&] { return service.UploadsAbandoned() == kRounds; }, 60000)) << service.UploadsAbandoned();
    EXPECT_TRUE(WaitFor([&] { return ThreadCount(app.ProcessId()) <= threadsBefore; }, 10000))
        << ThreadCount(app.ProcessId()) << " threads, " << threadsBefore << " before";
    // A handle per round would show as kRounds more.
    EXPECT_LT(HandleCount(app.ProcessId()), handlesBefore + 10);
    EXPECT_EQ(service.UploadsCompleted(), 0);
    EXPECT_TRUE(app.IsRunning());
    // Each OK replaced the copy the one before it made, held open as it may still have been.
    const std::wstring copies = DocumentsFolder() + L"\\My Podcasts\\Slow Show\\Unpublished\\" + TodayText();
    EXPECT_EQ(ReadBytes(copies + L"-Cancelled.mp3"), ReadBytes(clip));
    EXPECT_FALSE(FileExists(copies + L"-Cancelled (2).mp3"));
}
