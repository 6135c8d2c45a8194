// Takes the README's screenshots from the real programs (run by scripts/screenshots inside
// the test environment, with the stand-in service as the program's "ServerHost"):
//
//   screenshot_tour.exe OUTPUT_FOLDER [SPEECH_CLIP]
//
// It opens a clip with spots (a copy of SPEECH_CLIP, shown once its envelope is measured, or
// else a silent clip), publishes it as the stand-in's demo account; opens it again, selects
// a stretch of it on the time line and shows the tightening of its pauses; and shows the
// crash reporter, saving each view as a BMP file in OUTPUT_FOLDER. Exit code 0 when every
// view was saved; otherwise it says which step failed.
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <string>
#include <vector>
#include "../../recorder_app/app/editing/edit_menu.h"
#include "../../recorder_app/res/resource.h"
#include "../e2e/app_harness.h"
#include "../e2e/publish_driver.h"

using namespace e2e;

namespace {

const wchar_t kDemoLogin[] = L"morning";
const wchar_t kDemoPassword[] = L"secret-morning-7";
// Three spots are allowed in an 11-minute clip; these lie in the time line's first view.
const uint32_t kClipMs = 11 * 60 * 1000;
const uint32_t kSpotsMs[] = {9000, 24000, 41000};
// Long enough to capture the progress dialog; the stand-in answers the upload only then.
const char kSlowReply[] = "hang 8\n";
// The selection, in time line columns (five a second): 26.2 s to 34.2 s, between the second
// and the third spot, phrases on both sides of a long pause.
const int kSelectionFrom = 131, kSelectionTo = 171;

bool Fail(const char* what) {
    std::fprintf(stderr, "screenshot_tour: %s\n", what);
    return false;
}

// Waits until the window's thread is back in its message loop and has painted what it had to.
void Settle(HWND window) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
    Sleep(400);  // a blinking or animated control shows its next frame
}

RECT Union(HWND a, HWND b) {
    RECT ra, rb, both;
    GetWindowRect(a, &ra);
    GetWindowRect(b, &rb);
    UnionRect(&both, &ra, &rb);
    return both;
}

RECT Bounds(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    return r;
}

// Saves that part of the screen as a 24-bit BMP file.
bool SaveScreen(RECT area, const std::wstring& path) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return Fail("empty window area");
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;  // bottom-up, as BMP files store rows
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::vector<char> pixels(stride * static_cast<DWORD>(height));
    const int rows = GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                               reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (rows != height) return Fail("cannot read the screen");

    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;  // "BM"
    header.bfOffBits = sizeof header + sizeof info;
    header.bfSize = header.bfOffBits + static_cast<DWORD>(pixels.size());
    std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    bytes.append(pixels.data(), pixels.size());
    return WriteBytes(path, bytes) || Fail("cannot write a screenshot");
}

std::string SpotBytes() {
    std::string bytes;
    for (uint32_t spot : kSpotsMs)
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(spot >> shift));
    return bytes;
}

// The main window with a clip and its spots, the publication dialog logged in, and the
// progress dialog while the upload waits for the service's answer.
// Starts the program and opens a copy of the speech clip (or a silent clip) with its spots,
// named `name`; true once its envelope is measured.
bool OpenClipWithSpots(RecorderApp& app, const std::wstring& speech, const std::wstring& name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring clip = JoinPath(temp, name);
    const bool written = speech.empty() ? WriteSilentClip(clip, kClipMs) : CopyFileW(speech.c_str(), clip.c_str(), FALSE);
    if (!written || !WriteBytes(clip + L".ads", SpotBytes())) return Fail("cannot write the clip");
    if (!app.Start()) return Fail("the program did not start");
    if (!OpenClip(app, clip)) return Fail("the clip did not open");
    if (!speech.empty() && !app.WaitForLogLine(L"Level scan of " + clip + L" done", 1, 60000))
        return Fail("the clip's envelope was not measured");
    return true;
}

bool TourOfThePublication(const std::wstring& out, const std::wstring& speech) {
    RecorderApp app;
    if (!OpenClipWithSpots(app, speech, L"Spring tour.mp3")) return false;
    HWND main = app.MainWindow();
    Settle(main);
    if (!SaveScreen(Bounds(main), JoinPath(out, L"main_window.bmp"))) return false;

    app.ClickControl(IDC_PUBLISH);  // spots are set: no question
    HWND dialog = WaitForSubmitDialog(app);
    if (dialog == nullptr) return Fail("no publication dialog");
    SetField(dialog, IDC_LOGIN_NAME, kDemoLogin);
    SetField(dialog, IDC_PASSWORD, kDemoPassword);
    if (!LogIn(app, dialog)) return Fail("the demo account could not log in");
    SetField(dialog, IDC_DESCRIPTION, L"Three cities, two trains and one very loud accordion.");
    if (!FillEpisode(app, dialog, L"Spring tour, part 1")) return Fail("OK stays disabled");
    Settle(dialog);
    if (!SaveScreen(Union(main, dialog), JoinPath(out, L"publish_dialog.bmp"))) return false;

    const std::wstring behaviour = WindowsPath(Env(L"QB_STANDIN_DIR")) + L"\\behaviour";
    if (!WriteBytes(behaviour, kSlowReply)) return Fail("cannot slow the stand-in down");
    app.ClickWindow(GetDlgItem(dialog, IDOK));
    HWND progress = WaitForProgressDialog(app);
    if (progress == nullptr) return Fail("no progress dialog");
    HWND bar = GetDlgItem(progress, IDC_PUBLISH_PROGRESS);
    WaitFor([&] { return SendMessageW(bar, PBM_GETPOS, 0, 0) > 0; }, 5000);
    Settle(progress);
    const bool saved = SaveScreen(Union(dialog, progress), JoinPath(out, L"progress_dialog.bmp"));
    DeleteFileW(behaviour.c_str());
    const MessageBoxInfo done = WaitForBox(app, L"Done", 30000);
    if (done.window != nullptr) app.AnswerMessageBox(done, IDNO);
    PostMessageW(main, WM_CLOSE, 0, 0);
    app.WaitForExit();
    return saved;
}

// The main window with a stretch selected on its time line, and the tightening of pauses
// over it, cancelled. A run of its own, so that the publication's views show no selection.
bool TourOfTheEditing(const std::wstring& out, const std::wstring& speech) {
    RecorderApp app;
    if (!OpenClipWithSpots(app, speech, L"Spring tour, part 2.mp3")) return false;
    HWND main = app.MainWindow();
    if (!app.WaitUntilIdle()) return Fail("the program stays busy");
    app.DragOnTimeLine(kSelectionFrom, kSelectionTo);
    // Out of the window again: the pointer resting on the time line would bring up its tip.
    SetCursorPos(0, 0);
    if (!app.WaitUntilIdle()) return Fail("the program stays busy");
    Settle(main);
    if (!SaveScreen(Bounds(main), JoinPath(out, L"selection.bmp"))) return false;

    PostMessageW(main, WM_SYSCOMMAND, kTightenPausesCommand, 0);
    HWND dialog = WaitForWindow(app, [](HWND w) { return WindowText(w) == L"Tighten pauses"; });
    if (dialog == nullptr) return Fail("no tightening dialog");
    HWND note = GetDlgItem(dialog, IDC_TIGHTEN_NOTE);
    if (!WaitFor([&] { return WindowText(note).find(L"shortened, saving") != std::wstring::npos; }, 10000))
        return Fail("the tightening dialog says no pause is shortened");
    Settle(dialog);
    const bool saved = SaveScreen(Union(main, dialog), JoinPath(out, L"tighten_dialog.bmp"));
    app.ClickWindow(GetDlgItem(dialog, IDCANCEL));
    if (!WaitFor([&] { return !IsWindow(dialog); }, 10000)) return Fail("Cancel left the tightening dialog open");
    PostMessageW(main, WM_CLOSE, 0, 0);
    app.WaitForExit();
    return saved;
}

// The crash reporter as the program starts it after a crash.
bool TourOfTheCrashReporter(const std::wstring& out) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring dump = JoinPath(temp, L"Quillbank_recorder_2_8.dmp");
    if (!WriteBytes(dump, std::string(4096, 'M'))) return Fail("cannot write a dump");
    const std::wstring program = JoinPath(DistDir(), L"crash_reporter.exe");
    std::wstring command = L"crash_reporter.exe \"Quillbank recorder\" 2.8 \"" + dump + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, DistDir().c_str(),
                        &startup, &process))
        return Fail("cannot start crash_reporter.exe");
    HWND window = nullptr;
    WaitFor(
        [&] {
            for (HWND w : TopLevelWindowsOf(process.dwProcessId))
                if (IsWindowVisible(w)) window = w;
            return window != nullptr;
        },
        20000);
    bool saved = false;
    if (window != nullptr) {
        Settle(window);
        saved = SaveScreen(Bounds(window), JoinPath(out, L"crash_reporter.bmp"));
    } else {
        Fail("the crash reporter showed no window");
    }
    TerminateProcess(process.hProcess, 0);  // nothing is sent
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    DeleteFileW(dump.c_str());
    return saved;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: screenshot_tour.exe OUTPUT_FOLDER\n");
        return 2;
    }
    const std::wstring out = argv[1];
    ProgramSettings settings(Env(L"QB_STANDIN_HOST"));
    const std::wstring speech = argc == 3 ? argv[2] : L"";
    const bool publication = TourOfThePublication(out, speech);
    const bool editing = TourOfTheEditing(out, speech);
    const bool reporter = TourOfTheCrashReporter(out);
    return publication && editing && reporter ? 0 : 1;
}
