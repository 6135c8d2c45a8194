// Recording and playback through the real window, with sound through the null sink: a clip
// continued from the cursor, a clip played with a spot, closing while recording, a join that
// fails, and a recorder that cannot start. Each must keep every recorded second.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <regex>
#include "../../recorder_app/res/resource.h"
#include "app_harness.h"
#include "sound_check.h"
#include "tone_player.h"

using namespace e2e;

namespace {

constexpr double kFirstHz = 440.0, kSecondHz = 1200.0;
const std::vector<ToneClass> kTakeTones{{0, kFirstHz}, {1, kSecondHz}};
// The jingle is a plucked C-E-G chime; 440 Hz is none of its notes or their overtones.
const std::vector<ToneClass> kClipOrJingle{{0, kFirstHz}, {1, 523.25}, {1, 659.26}, {1, 783.99}};
constexpr long long kBytesPerMs = 12;  // 96 kbit/s

const std::wregex kRecordingName(L"\\d{4}-\\d\\d-\\d\\d-\\d\\d-\\d\\d-\\d\\d-(0|[1-9]\\d{0,2})\\.mp3");
const std::wregex kJoinedName(L"\\d{4}-\\d\\d-\\d\\d-\\d\\d-\\d\\d-\\d\\d\\.mp3");

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }
std::wstring NameOf(const std::wstring& path) { return path.substr(path.find_last_of(L'\\') + 1); }

// The cursor an Undo or Redo log line reports ("..., cursor at 2133 ms").
int CursorOf(const std::wstring& line) {
    const size_t at = line.rfind(L"cursor at ");
    return at == std::wstring::npos ? -1 : std::stoi(line.substr(at + 10));
}

// Where Wine's Recycle Bin keeps the files it was given: the test's own XDG trash.
std::wstring TrashFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    const std::string unix = std::string(data != nullptr ? data : "") + "/Trash/files";
    return WindowsPath(std::wstring(unix.begin(), unix.end()));
}

int LengthMs(const std::wstring& path) { return static_cast<int>(FileSize(path) / kBytesPerMs); }

// A recording made with Record while a tone sounds into the sink.
struct Take {
    std::wstring path;
    std::unique_ptr<TonePlayer> tone;
};

// Starts the tone, presses Record and waits until the new file holds at least minMs.
Take StartTake(RecorderApp& app, double hz, int minMs) {
    Take take;
    take.tone = std::make_unique<TonePlayer>(hz, 0.5, 60);
    const size_t started = app.CountLogLines(L"Switching interface to the recording mode");
    app.ClickControl(IDC_RECORD);
    if (!app.WaitForLogLine(L"Switching interface to the recording mode", started + 1)) return take;
    take.path = app.LastLogValue(L"Target file to write: ");
    if (!WaitFor([&] { return FileSize(take.path) >= minMs * kBytesPerMs; }, minMs + 10000)) take.path.clear();
    return take;
}

// Presses Record again and waits until the window is idle; the tone stops only then.
bool StopTake(RecorderApp& app, Take& take) {
    const size_t idle = app.CountLogLines(L"Switching interface to the idle mode");
    app.ClickControl(IDC_RECORD);
    const bool stopped = app.WaitForLogLine(L"Switching interface to the idle mode", idle + 1);
    take.tone.reset();
    return stopped;
}

bool PressLeft(RecorderApp& app, int times) {
    const size_t before = app.CountLogLines(L"Rewind left pressed");
    for (int i = 0; i < times; ++i) app.PressKey(VK_LEFT);
    return app.WaitForLogLine(L"Rewind left pressed", before + times);
}

// Decodes the clip, expects every frame valid, and tells which tones it holds when.
std::vector<ToneRun> ClipTones(const std::wstring& path) {
    const DecodedClip clip = DecodeClip(path);
    EXPECT_TRUE(clip.decoded) << clip.complaints;
    EXPECT_EQ(clip.complaints, "") << "in " << std::string(path.begin(), path.end());
    return ToneRuns(clip.samples, kTakeTones);
}

// Holds a file open without sharing, as another program may, so that nothing else can read it.
class LockedFile {
public:
    explicit LockedFile(const std::wstring& path)
        : m_handle(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~LockedFile() { Release(); }
    bool Locked() const { return m_handle != INVALID_HANDLE_VALUE; }
    void Release() {
        if (m_handle != INVALID_HANDLE_VALUE) CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE m_handle;
};

TEST(RecordPlay, SecondTakeContinuesTheClipFromTheCursor) {
    RecorderApp app;
    ASSERT_TRUE(app.Start());
    Take first = StartTake(app, kFirstHz, 3000);
    ASSERT_FALSE(first.path.empty());
    ASSERT_TRUE(StopTake(app, first));
    const int firstMs = LengthMs(first.path);

    // The cursor stands at the clip's end; whole seconds back lead to about 2 s.
    const int steps = (firstMs - 1500) / 1000;
    const int cursorMs = firstMs - 1000 * steps;
    ASSERT_TRUE(PressLeft(app, steps));
    const std::string firstBytes = ReadBytes(first.path);
    Take second = StartTake(app, kSecondHz, 2500);
    ASSERT_FALSE(second.path.empty());
    ASSERT_TRUE(StopTake(app, second));

    const std::wstring joined = app.LastLogValue(L"New joined file is: ");
    ASSERT_TRUE(FileExists(joined)) << "no joined clip";
    // The first take waits for Undo out of sight, and the part lives on in the joined clip.
    ASSERT_TRUE(app.WaitForLogLine(L"Undo step: recording", 2, 10000));
    EXPECT_FALSE(FileExists(first.path));
    EXPECT_FALSE(FileExists(second.path));
    EXPECT_EQ(FolderOf(joined), UnpublishedFolder());
    EXPECT_EQ(FolderOf(first.path), UnpublishedFolder());
    EXPECT_TRUE(std::regex_match(NameOf(first.path), kRecordingName)) << NameOf(first.path);
    EXPECT_TRUE(std::regex_match(NameOf(second.path), kRecordingName)) << NameOf(second.path);
    EXPECT_TRUE(std::regex_match(NameOf(joined), kJoinedName)) << NameOf(joined);

    const auto runs = ClipTones(joined);
    ASSERT_EQ(runs.size(), 2u) << Describe(runs);
    EXPECT_EQ(runs[0].label, 0);
    EXPECT_LT(runs[0].startMs, 100);
    EXPECT_NEAR(runs[0].endMs, cursorMs, 100) << Describe(runs);
    EXPECT_EQ(runs[1].label, 1);
    EXPECT_GE(runs[1].endMs - runs[1].startMs, 2400) << Describe(runs);

    // The envelope came from the takes as they were captured, not from a scan: bars across
    // both tones, the first up to the cursor and the second after it.
    ASSERT_TRUE(app.WaitUntilIdle());
    const std::vector<int> bars = EnvelopeBarHeights(app.MainWindow(), 40);
    for (int column : {runs[0].startMs / 200 + 2, runs[0].endMs / 200 - 2, runs[1].startMs / 200 + 2,
                       runs[1].endMs / 200 - 2})
        EXPECT_GT(bars[column], kEnvelopeFullHeight / 3) << column;
    const auto lines = app.LogLines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::wstring& line) {
                  return line.rfind(L"Level scan of ", 0) == 0;
              }), 0);

    // Ctrl+Z brings the first take back byte for byte with the cursor where the second began,
    // Ctrl+Y the joined clip; each lies under its own name in "Unpublished" when current.
    app.PressKey('Z', VK_CONTROL);
    ASSERT_TRUE(WaitFor([&] { return !app.LastLogValue(L"Undo recording: ").empty(); }, 10000));
    EXPECT_EQ(app.LastLogValue(L"Undo recording: ").rfind(first.path + L", 0 spots, cursor at ", 0), 0u);
    EXPECT_NEAR(CursorOf(app.LastLogValue(L"Undo recording: ")), cursorMs, 100);
    EXPECT_TRUE(ReadBytes(first.path) == firstBytes);
    EXPECT_FALSE(FileExists(joined));
    app.PressKey('Y', VK_CONTROL);
    ASSERT_TRUE(WaitFor([&] { return !app.LastLogValue(L"Redo recording: ").empty(); }, 10000));
    EXPECT_TRUE(FileExists(joined));
    EXPECT_FALSE(FileExists(first.path));

    // A spot placed after an Undo is a new step: the joined clip leaves the history for the
    // Recycle Bin, and the spot can be undone in turn.
    app.PressKey('Z', VK_CONTROL);
    ASSERT_TRUE(app.WaitForLogLine(L"Undo recording: " + app.LastLogValue(L"Undo recording: "), 2, 10000));
    app.ClickControl(IDC_ADVSPOT);
    ASSERT_TRUE(app.WaitForLogLine(L"Undo step: spot", 1, 10000));
    EXPECT_FALSE(FileExists(joined));
    EXPECT_TRUE(FileExists(JoinPath(TrashFolder(), NameOf(joined)))) << "not in the Recycle Bin";
    EXPECT_EQ(app.CountLogLines(L"Moved to the Recycle Bin: " + joined), 1u);  // as the shell reported it
    app.PressKey('Z', VK_CONTROL);
    ASSERT_TRUE(WaitFor([&] { return !app.LastLogValue(L"Undo spot: ").empty(); }, 10000));
    EXPECT_EQ(app.LastLogValue(L"Undo spot: ").rfind(first.path + L", 0 spots, cursor at ", 0), 0u);
    EXPECT_EQ(CursorOf(app.LastLogValue(L"Undo spot: ")), CursorOf(app.LastLogValue(L"Undo recording: ")));
}

TEST(RecordPlay, PlaybackSoundsTheJingleAtTheSpotThenResumesTheClip) {
    RecorderApp app;
    ASSERT_TRUE(app.Start());
    Take take = StartTake(app, kFirstHz, 3000);
    ASSERT_FALSE(take.path.empty());
    ASSERT_TRUE(StopTake(app, take));
    const int clipMs = LengthMs(take.path);

    ASSERT_TRUE(PressLeft(app, 1));
    app.ClickControl(IDC_ADVSPOT);
    const std::wstring placing = L"Trying to set adv spot in position ";
    ASSERT_TRUE(WaitFor([&] { return !app.LastLogValue(placing).empty(); }, 10000));
    const int spotMs = std::stoi(app.LastLogValue(placing));
    ASSERT_GT(spotMs, 1000);
    ASSERT_TRUE(PressLeft(app, spotMs / 1000 + 1));  // to the start

    MonitorRecorder monitor(30);
    ASSERT_TRUE(monitor.IsRecording());
    // The capture stream may take a while to run; the clip's start must not be missed.
    ASSERT_TRUE(WaitFor([&] { return monitor.Samples().size() >= 3 * 4410; }, 10000));
    app.ClickControl(IDC_PLAY);
    ASSERT_TRUE(app.WaitForLogLine(L"Stop playing clip", 1, 30000));
    // The monitor lags the player: the end has been heard once it has been quiet a while.
    EXPECT_TRUE(WaitFor([&] { return TrailingQuietMs(monitor.Samples()) >= 500; }, 10000));
    monitor.Stop();

    const auto runs = ToneRuns(monitor.Samples(), kClipOrJingle);
    ASSERT_EQ(runs.size(), 3u) << Describe(runs);
    EXPECT_EQ(runs[0].label, 0);
    EXPECT_NEAR(runs[0].soundMs, spotMs, 150) << Describe(runs);
    EXPECT_EQ(runs[1].label, 1);
    EXPECT_GE(runs[1].soundMs, 400) << Describe(runs);
    EXPECT_EQ(runs[2].label, 0);
    EXPECT_NEAR(runs[2].soundMs, clipMs - spotMs, 150) << Describe(runs);
}

TEST(RecordPlay, ClosingWhileRecordingFinishesTheRecordingAndTheJoin) {
    RecorderApp app;
    ASSERT_TRUE(app.Start());
    Take first = StartTake(app, kFirstHz, 2000);
    ASSERT_FALSE(first.path.empty());
    ASSERT_TRUE(StopTake(app, first));
    const int firstMs = LengthMs(first.path);

    const DWORD started = GetTickCount();
    Take second = StartTake(app, kSecondHz, 2000);
    ASSERT_FALSE(second.path.empty());
    app.PressKey(VK_ESCAPE);
    EXPECT_EQ(app.WaitForExit(), 0u);
    const int mostMs = static_cast<int>(GetTickCount() - started);
    second.tone.reset();

    const std::wstring joined = app.LastLogValue(L"New joined file is: ");
    ASSERT_TRUE(FileExists(joined)) << "no joined clip";
    // The first take waits for Undo out of sight, and the part lives on in the joined clip.
    ASSERT_TRUE(app.WaitForLogLine(L"Undo step: recording", 2, 10000));
    EXPECT_FALSE(FileExists(first.path));
    EXPECT_FALSE(FileExists(second.path));
    const auto runs = ClipTones(joined);
    ASSERT_EQ(runs.size(), 2u) << Describe(runs);
    EXPECT_NEAR(runs[0].endMs, firstMs, 100) << Describe(runs);
    EXPECT_GE(runs[1].endMs - runs[1].startMs, 1900) << Describe(runs);
    EXPECT_LE(runs[1].endMs - runs[1].startMs, mostMs) << Describe(runs);
    EXPECT_EQ(app.CountLogLines(L"Recording stopped"), 2u);
}

TEST(RecordPlay, FailedJoinKeepsBothRecordingsAndTheProgramGoesOn) {
    RecorderApp app;
    ASSERT_TRUE(app.Start());
    Take first = StartTake(app, kFirstHz, 2000);
    ASSERT_FALSE(first.path.empty());
    ASSERT_TRUE(StopTake(app, first));
    const long long firstSize = FileSize(first.path);
    const int firstMs = LengthMs(first.path);

    Take second = StartTake(app, kSecondHz, 2000);
    ASSERT_FALSE(second.path.empty());
    auto files = FilesIn(UnpublishedFolder());
    // The earlier clip cannot be read while another program holds it.
    LockedFile locked(first.path);
    ASSERT_TRUE(locked.Locked());
    app.ClickControl(IDC_RECORD);
    const MessageBoxInfo box = app.WaitForMessageBox();
    locked.Release();
    ASSERT_NE(box.window, nullptr) << "no error box";
    EXPECT_EQ(GetWindow(box.window, GW_OWNER), app.MainWindow());
    EXPECT_NE(box.text.find(first.path), std::wstring::npos) << std::string(box.text.begin(), box.text.end());
    EXPECT_NE(box.text.find(second.path), std::wstring::npos);
    // No partial joined file beside the two recordings.
    auto filesNow = FilesIn(UnpublishedFolder());
    std::sort(files.begin(), files.end());
    std::sort(filesNow.begin(), filesNow.end());
    EXPECT_EQ(filesNow, files);
    ASSERT_TRUE(app.AnswerMessageBox(box, IDOK));
    ASSERT_TRUE(app.WaitForLogLine(L"Switching interface to the idle mode", 2));
    second.tone.reset();

    EXPECT_EQ(FileSize(first.path), firstSize);
    auto runs = ClipTones(first.path);
    ASSERT_EQ(runs.size(), 1u) << Describe(runs);
    EXPECT_EQ(runs[0].label, 0);
    runs = ClipTones(second.path);
    ASSERT_EQ(runs.size(), 1u) << Describe(runs);
    EXPECT_EQ(runs[0].label, 1);
    EXPECT_GE(runs[0].endMs - runs[0].startMs, 1900) << Describe(runs);
    const auto lines = app.LogLines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::wstring& l) { return l.rfind(L"!!! ", 0) == 0; }));

    // The earlier clip is still the current one: the next take continues it and joins.
    Take third = StartTake(app, kSecondHz, 1000);
    ASSERT_FALSE(third.path.empty());
    ASSERT_TRUE(StopTake(app, third));
    const std::wstring joined = app.LastLogValue(L"New joined file is: ");
    ASSERT_TRUE(FileExists(joined)) << "no joined clip";
    EXPECT_TRUE(FileExists(second.path));  // the user's to keep
    runs = ClipTones(joined);
    ASSERT_EQ(runs.size(), 2u) << Describe(runs);
    EXPECT_NEAR(runs[0].endMs, firstMs, 100) << Describe(runs);

    // And it plays, to the end by itself.
    ASSERT_TRUE(PressLeft(app, 1));
    app.ClickControl(IDC_PLAY);
    EXPECT_TRUE(app.WaitForLogLine(L"Start playing clip", 1));
    EXPECT_TRUE(app.WaitForLogLine(L"Stop playing clip", 1));
}

TEST(RecordPlay, FailedRecorderStartRestartsTheMeterAndLeavesNoClipToContinue) {
    RecorderApp app;
    ASSERT_TRUE(DeleteFileW(JoinPath(app.AppDir(), L"lame_enc.dll").c_str()));
    ASSERT_TRUE(app.Start());
    app.ClickControl(IDC_RECORD);
    const MessageBoxInfo box = app.WaitForMessageBox();
    ASSERT_NE(box.window, nullptr) << "no error box";
    EXPECT_EQ(box.text, L"Error occured, while recording audio");
    EXPECT_EQ(box.caption, L"Error");
    EXPECT_EQ(GetWindow(box.window, GW_OWNER), app.MainWindow());
    ASSERT_TRUE(app.AnswerMessageBox(box, IDOK));
    {
        TonePlayer tone(997.0, 0.8, 20);
        int highest = 0;
        EXPECT_TRUE(WaitFor([&] { return (highest = std::max(highest, LitMeterRows(app.MainWindow()))) >= 20; }, 15000))
            << "the meter stands still: highest bar " << highest << " rows";
    }

    ASSERT_TRUE(app.AddFile(JoinPath(DistDir(), L"lame_enc.dll"), L"lame_enc.dll"));
    Take take = StartTake(app, kFirstHz, 1500);
    ASSERT_FALSE(take.path.empty());
    // A continuation of the file that was never written would fail to join and ask here.
    ASSERT_TRUE(StopTake(app, take));
    EXPECT_EQ(app.CountLogLines(L"Joining newly recorded part with rest"), 0u);
    const auto runs = ClipTones(take.path);
    ASSERT_EQ(runs.size(), 1u) << Describe(runs);
    EXPECT_EQ(runs[0].label, 0);
}

}  // namespace
