// Open and Save through the system's file boxes: the spots travel in the side file, a save
// never leaves someone else's spots beside the target, a failed copy shows the system's
// reason, and clips that cannot be taken are refused with the current clip kept.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>
#include "../../recorder_app/res/resource.h"
#include "app_harness.h"

using namespace e2e;

namespace {

// A folder of its own for one test's clips, removed with what is in it.
class ClipFolder {
public:
    ClipFolder() {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        m_path = JoinPath(temp, L"qb-clips-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                    std::to_wstring(GetTickCount()));
        CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~ClipFolder() {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW(Path(L"*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do DeleteFileW(Path(found.cFileName).c_str());
            while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(m_path.c_str());
    }
    std::wstring Path(const std::wstring& name) const { return JoinPath(m_path, name); }

private:
    std::wstring m_path;
};

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (f == nullptr) return false;
    const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

// A silent clip in the recording format (44100 Hz mono, 96 kbit/s): frames whose side
// information and main data are all zero, padded like an encoder pads them so that the
// stream runs at exactly 12000 bytes per second. No encoding, so two hours take a moment.
bool WriteSilentClip(const std::wstring& path, uint32_t durationMs) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (f == nullptr) return false;
    const uint64_t frames = static_cast<uint64_t>(durationMs) * 44100 / 1152 / 1000 + 1;
    std::string chunk;
    uint32_t remainder = 0;
    bool ok = true;
    for (uint64_t i = 0; i < frames && ok; ++i) {
        remainder += 144 * 96000 % 44100;
        const bool padded = remainder >= 44100;
        if (padded) remainder -= 44100;
        std::string frame(144 * 96000 / 44100 + (padded ? 1 : 0), '\0');
        frame[0] = '\xFF';
        frame[1] = '\xFB';
        frame[2] = padded ? '\x72' : '\x70';
        frame[3] = '\xC0';
        chunk += frame;
        if (chunk.size() > (1 << 20)) {
            ok = fwrite(chunk.data(), 1, chunk.size(), f) == chunk.size();
            chunk.clear();
        }
    }
    ok = ok && fwrite(chunk.data(), 1, chunk.size(), f) == chunk.size();
    return fclose(f) == 0 && ok;
}

std::string SpotBytes(std::initializer_list<uint32_t> spots) {
    std::string bytes;
    for (uint32_t spot : spots)
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(spot >> shift));
    return bytes;
}

bool HasLine(const RecorderApp& app, const std::wstring& line) {
    const auto lines = app.LogLines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool WaitForLine(const RecorderApp& app, const std::wstring& line, DWORD timeoutMs = 10000) {
    return WaitFor([&] { return HasLine(app, line); }, timeoutMs);
}

bool Enabled(const RecorderApp& app, int id) {
    return IsWindowEnabled(GetDlgItem(app.MainWindow(), id)) != FALSE;
}

// The program's clicks and box answers, each once it is idle (see WaitUntilIdle).
void Click(RecorderApp& app, int id) {
    ASSERT_TRUE(app.WaitUntilIdle());
    app.ClickControl(id);
}

bool Answer(RecorderApp& app, const MessageBoxInfo& box, int button) {
    return app.WaitUntilIdle() && app.AnswerMessageBox(box, button);
}

// Open with no clip loaded: the file box comes at once.
void OpenFirst(RecorderApp& app, const std::wstring& clip) {
    Click(app, IDC_OPEN);
    ASSERT_TRUE(app.ChooseFileInDialog(clip));
    ASSERT_TRUE(WaitForLine(app, L"File selected: " + clip));
    // Save is enabled by the switch to the idle mode, near the command's end.
    ASSERT_TRUE(WaitFor([&] { return Enabled(app, IDC_SAVE); }, 10000));
}

// Open over a loaded clip: the unpublished-clip question first, answered OK.
void OpenAnother(RecorderApp& app, const std::wstring& path) {
    Click(app, IDC_OPEN);
    const MessageBoxInfo question = app.WaitForMessageBox();
    ASSERT_EQ(question.caption, L"Confirm action");
    ASSERT_TRUE(Answer(app, question, IDOK));
    ASSERT_TRUE(app.ChooseFileInDialog(path));
}

// The click reaches the window only after the command before it has returned.
void Save(RecorderApp& app, const std::wstring& target) {
    Click(app, IDC_SAVE);
    ASSERT_TRUE(app.ChooseFileInDialog(target));
}

bool WaitForBytes(const std::wstring& path, const std::string& bytes) {
    return WaitFor([&] { return ReadBytes(path) == bytes; }, 10000);
}

bool WaitUntilGone(const std::wstring& path) {
    return WaitFor([&] { return !FileExists(path); }, 10000);
}

TEST(OpenSave, OpenedClipBringsItsSpotsAndSaveCarriesThemToTheCopy) {
    ClipFolder folder;
    const std::wstring clip = folder.Path(L"episode.mp3"), copy = folder.Path(L"copy.mp3");
    ASSERT_TRUE(WriteSilentClip(clip, 30000));
    // Out of order, with a two-byte fragment after the last whole value.
    ASSERT_TRUE(WriteBytes(clip + L".ads", SpotBytes({20000, 100, 10000}) + "\xAB\xCD"));

    RecorderApp app;
    ASSERT_TRUE(app.Start());
    OpenFirst(app, clip);
    EXPECT_TRUE(WaitForLine(app, L"Found adv-spots file " + clip + L".ads, loading it"));
    EXPECT_TRUE(Enabled(app, IDC_PLAY));  // the idle mode

    Save(app, copy);
    // The spots in order, without the fragment.
    EXPECT_TRUE(WaitForBytes(copy + L".ads", SpotBytes({100, 10000, 20000}))) << ReadBytes(copy + L".ads").size();
    EXPECT_TRUE(ReadBytes(copy) == ReadBytes(clip));

    // An opened clip cannot be continued.
    Click(app, IDC_RECORD);
    const MessageBoxInfo box = app.WaitForMessageBox();
    EXPECT_EQ(box.caption, L"Current version limitation");
    ASSERT_TRUE(Answer(app, box, IDNO));
    EXPECT_TRUE(WaitForLine(app, L"Operation cancelled by user"));
}

TEST(OpenSave, SaveWithoutSpotsRemovesStaleSideFilesAlsoOnTheClipsOwnPath) {
    ClipFolder folder;
    const std::wstring clip = folder.Path(L"episode.mp3"), other = folder.Path(L"other.mp3");
    ASSERT_TRUE(WriteSilentClip(clip, 20000));
    ASSERT_TRUE(WriteBytes(clip + L".ads", SpotBytes({100})));
    ASSERT_TRUE(WriteBytes(other, "an older episode"));
    ASSERT_TRUE(WriteBytes(other + L".ads", SpotBytes({5000, 9000})));
    const std::string clipBytes = ReadBytes(clip);

    RecorderApp app;
    ASSERT_TRUE(app.Start());
    OpenFirst(app, clip);
    // The cursor stands at 0, where the spot at 100 ms is found: the press removes it and
    // logs the cursor's position.
    Click(app, IDC_ADVSPOT);
    ASSERT_TRUE(WaitForLine(app, L"Removing adv spot from position 0 ms"));

    Save(app, other);
    EXPECT_TRUE(WaitForBytes(other, clipBytes));
    EXPECT_TRUE(WaitUntilGone(other + L".ads"));

    Save(app, clip);
    EXPECT_TRUE(WaitUntilGone(clip + L".ads"));
    EXPECT_TRUE(ReadBytes(clip) == clipBytes);
}

TEST(OpenSave, SaveIntoAMissingFolderShowsTheSystemsReason) {
    ClipFolder folder;
    const std::wstring clip = folder.Path(L"episode.mp3");
    const std::wstring target = folder.Path(L"missing\\episode.mp3");
    ASSERT_TRUE(WriteSilentClip(clip, 5000));
    ASSERT_TRUE(WriteBytes(clip + L".ads", SpotBytes({1000})));

    RecorderApp app;
    ASSERT_TRUE(app.Start());
    OpenFirst(app, clip);
    Save(app, target);
    const MessageBoxInfo box = app.WaitForMessageBox();
    EXPECT_EQ(box.caption, L"Error");
    const std::wstring head = L"Error occured while saving file: \n";
    ASSERT_EQ(box.text.substr(0, head.size()), head);
    const std::wstring reason = box.text.substr(head.size());
    EXPECT_FALSE(reason.empty());
    ASSERT_TRUE(Answer(app, box, IDOK));
    // Logged once the box is closed.
    EXPECT_TRUE(WaitForLine(app, L"!!! Error occured while saving file: " + reason)) << reason;
    EXPECT_FALSE(FileExists(target));
    EXPECT_FALSE(FileExists(target + L".ads"));
}

// After a refused Open the earlier clip and its spots are still the ones a save copies.
void ExpectEarlierClipKept(RecorderApp& app, const ClipFolder& folder, const std::wstring& clip) {
    const std::wstring copy = folder.Path(L"kept.mp3");
    Save(app, copy);
    EXPECT_TRUE(WaitForBytes(copy + L".ads", SpotBytes({4000})));
    EXPECT_TRUE(ReadBytes(copy) == ReadBytes(clip));
    DeleteFileW(copy.c_str());
    DeleteFileW((copy + L".ads").c_str());
}

TEST(OpenSave, ClipOverTwoHoursIsRefusedAndTheEarlierClipStays) {
    ClipFolder folder;
    const std::wstring clip = folder.Path(L"episode.mp3"), longClip = folder.Path(L"long.mp3");
    ASSERT_TRUE(WriteSilentClip(clip, 10000));
    ASSERT_TRUE(WriteBytes(clip + L".ads", SpotBytes({4000})));
    ASSERT_TRUE(WriteSilentClip(longClip, (2 * 60 + 1) * 60000));

    RecorderApp app;
    ASSERT_TRUE(app.Start());
    OpenFirst(app, clip);
    OpenAnother(app, longClip);
    const MessageBoxInfo box = app.WaitForMessageBox();
    EXPECT_EQ(box.caption, L"Message");
    EXPECT_EQ(box.text, L"Sorry but episode duration is limited to two hours");
    ASSERT_TRUE(Answer(app, box, IDOK));
    EXPECT_TRUE(HasLine(app, L"Clip is bigger than it can (2 hours)"));
    EXPECT_FALSE(HasLine(app, L"File selected: " + longClip));
    ExpectEarlierClipKept(app, folder, clip);
}

TEST(OpenSave, FileWithoutMpegAudioIsRefusedAndTheEarlierClipStays) {
    ClipFolder folder;
    const std::wstring clip = folder.Path(L"episode.mp3");
    ASSERT_TRUE(WriteSilentClip(clip, 10000));
    ASSERT_TRUE(WriteBytes(clip + L".ads", SpotBytes({4000})));
    const std::wstring text = folder.Path(L"notes.mp3"), empty = folder.Path(L"empty.mp3");
    ASSERT_TRUE(WriteBytes(text, std::string(2000, 'x') + "\nShow notes, not sound.\n"));
    ASSERT_TRUE(WriteBytes(empty, ""));

    RecorderApp app;
    ASSERT_TRUE(app.Start());
    OpenFirst(app, clip);
    for (const std::wstring& junk : {text, empty}) {
        OpenAnother(app, junk);
        const MessageBoxInfo box = app.WaitForMessageBox();
        ASSERT_NE(box.window, nullptr) << junk;
        EXPECT_NE(box.text.find(junk), std::wstring::npos) << box.text;
        ASSERT_TRUE(Answer(app, box, IDOK));
        EXPECT_FALSE(HasLine(app, L"File selected: " + junk));
    }
    ExpectEarlierClipKept(app, folder, clip);
}

}  // namespace
