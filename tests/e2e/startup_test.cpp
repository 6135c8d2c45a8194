// Start-up, the main window in the new mode, closing, and the log.
#include <gtest/gtest.h>
#include <algorithm>
#include <iterator>
#include <string>
#include <vector>
#include "../../recorder_app/res/resource.h"
#include "app_harness.h"

using namespace e2e;

namespace {

const wchar_t kRule[] = L"---------------------------------------";

TEST(Startup, LogStartsWithHeaderAndProgramFolder) {
    RecorderApp app;
    ASSERT_TRUE(app.Start());
    const auto lines = app.LogLines();
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[0], kRule);
    EXPECT_EQ(lines[1], L"Quillbank recorder application v. 2.08");
    EXPECT_EQ(lines[2], kRule);
    EXPECT_EQ(lines[3].rfind(L"Start datetime: ", 0), 0u) << lines[3];
    EXPECT_EQ(lines[3].size(), std::wstring(L"Start datetime: 2026-12-07 10-11-12").size());
    // Started from another current directory: the program finds its own folder.
    EXPECT_EQ(lines[4], L"Application directory: " + app.AppDir() + L"\\");
    EXPECT_EQ(lines[5], L"Starting GUI...");
}

TEST(Startup, LogIsUtf16WithBareLineFeedsAndNoByteOrderMark) {
    RecorderApp app;
    ASSERT_TRUE(app.Start());
    const std::string bytes = ReadBytes(app.LogPath());
    ASSERT_GT(bytes.size(), 4u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("-\0-\0", 4));
    EXPECT_EQ(bytes.size() % 2, 0u);
    EXPECT_EQ(bytes.find(std::string("\r\0", 2)), std::string::npos);
    EXPECT_EQ(bytes.substr(78, 2), std::string("\n\0", 2));  // after 39 hyphens
}

TEST(Startup, WindowOpensInNewModeWithOnlyRecordAndOpenEnabled) {
    RecorderApp app;
    ASSERT_TRUE(app.Start());
    EXPECT_EQ(WindowText(app.MainWindow()), L"Quillbank Recorder 2.08");
    const struct {
        int id;
        bool enabled;
    } expected[] = {{IDC_RECORD, true},       {IDC_OPEN, true},          {IDC_PLAY, false},
                    {IDC_REWIND_BACK, false}, {IDC_REWIND_FORWARD, false}, {IDC_ADVSPOT, false},
                    {IDC_SAVE, false},        {IDC_PUBLISH, false}};
    for (const auto& button : expected) {
        HWND control = GetDlgItem(app.MainWindow(), button.id);
        ASSERT_NE(control, nullptr) << button.id;
        EXPECT_EQ(IsWindowEnabled(control) != FALSE, button.enabled) << button.id;
    }
    const auto lines = app.LogLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), L"Switching interface to the new mode"), lines.end());
}

TEST(Startup, ClientAreaFitsTheBackgroundAndButtonsSitWhereLaidOut) {
    RecorderApp app;
    ASSERT_TRUE(app.Start());
    RECT client;
    GetClientRect(app.MainWindow(), &client);
    EXPECT_EQ(client.right, 290);
    EXPECT_EQ(client.bottom, 276);
    RECT publish;
    GetWindowRect(GetDlgItem(app.MainWindow(), IDC_PUBLISH), &publish);
    MapWindowPoints(nullptr, app.MainWindow(), reinterpret_cast<POINT*>(&publish), 2);
    EXPECT_EQ(publish.left, 205);
    EXPECT_EQ(publish.top, 234);
    EXPECT_EQ(publish.right - publish.left, 75);
    EXPECT_EQ(publish.bottom - publish.top, 29);
}

// Where in the log a line stands (its first occurrence), or the log's length.
size_t IndexOf(const std::vector<std::wstring>& lines, const std::wstring& prefix) {
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].rfind(prefix, 0) == 0) return i;
    return lines.size();
}

// The time a timeline line gives, in milliseconds since the process was created.
double TimelineMs(const std::wstring& line) {
    const size_t at = line.rfind(L" at ");
    return at == std::wstring::npos ? -1 : _wtof(line.c_str() + at + 4);
}

// The steps that wait until the window is drawn (the system menu's items, the recordings'
// folder, the level meter's listener) still happen, after that paint, and the log keeps the
// order it had when they ran before it.
TEST(Startup, StepsAfterTheFirstPaintStillHappenInTheLogsOrder) {
    const wchar_t kTimeline[] = L"QB_STARTUP_TIMELINE";
    SetEnvironmentVariableW(kTimeline, L"QuillbankStartupTest");  // the recorder inherits it
    RecorderApp app;
    const bool started = app.Start();
    SetEnvironmentVariableW(kTimeline, nullptr);
    ASSERT_TRUE(started);
    const wchar_t kLast[] = L"Start-up timeline: level listener due at ";
    std::vector<std::wstring> lines;
    ASSERT_TRUE(WaitFor([&] { return IndexOf(lines = app.LogLines(), kLast) < lines.size(); }, 20000));

    const size_t order[] = {IndexOf(lines, L"Starting GUI..."),
                            IndexOf(lines, L"Initializing controls..."),
                            IndexOf(lines, L"Switching interface to the new mode"),
                            IndexOf(lines, L"Start-up timeline: first paint of the main window at "),
                            IndexOf(lines, L"Start-up timeline: system menu at "),
                            IndexOf(lines, L"Initializing podcasts dir: "),
                            IndexOf(lines, L"Starting sound volume indicator listener..."),
                            IndexOf(lines, kLast)};
    for (size_t i = 0; i < std::size(order); ++i) ASSERT_LT(order[i], lines.size()) << i;
    EXPECT_TRUE(std::is_sorted(std::begin(order), std::end(order)));
    const double paint = TimelineMs(lines[order[3]]);
    EXPECT_GT(paint, 0);
    EXPECT_GE(TimelineMs(lines[order[4]]), paint);
    EXPECT_GE(TimelineMs(lines[order[7]]), paint);
    const std::wstring log = app.LogPath();
    EXPECT_EQ(lines[order[5]], L"Initializing podcasts dir: " + log.substr(0, log.rfind(L'\\')));
}

TEST(Closing, EscapeClosesAndTheLogSaysSo) {
    RecorderApp app;
    ASSERT_TRUE(app.Start());
    app.PressKey(VK_ESCAPE);
    EXPECT_EQ(app.WaitForExit(), 0u);
    const auto lines = app.LogLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], L"Destroying main dialog");
    EXPECT_EQ(lines.back(), L"Application finished.");
}

TEST(Closing, CloseBoxClosesWithoutAsking) {
    RecorderApp app;
    ASSERT_TRUE(app.Start());
    PostMessageW(app.MainWindow(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(app.WaitForExit(), 0u);
    EXPECT_EQ(app.LogLines().back(), L"Application finished.");
}

TEST(Closing, SecondStartTruncatesTheLog) {
    for (int run = 0; run < 2; ++run) {
        RecorderApp app;
        ASSERT_TRUE(app.Start());
        app.PressKey(VK_ESCAPE);
        ASSERT_EQ(app.WaitForExit(), 0u);
    }
    RecorderApp reader;
    const auto lines = reader.LogLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), std::wstring(L"Application finished.")), 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), std::wstring(kRule)), 2);
}

}  // namespace
