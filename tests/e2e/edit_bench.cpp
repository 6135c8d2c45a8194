// edit_bench: the Delete command of the real program on a long clip, for scripts/bench.d/edit.sh.
//
//   edit_bench podcasts
//       makes "My Podcasts" in the documents folder and prints its unix path, so that the
//       caller can put "Unpublished" (where every cut is written) on the file system it wants.
//   edit_bench cut CLIP ROUNDS
//       the real program, ROUNDS times: opens CLIP through its Open box, waits until the
//       clip's level scan is over, drags the time line's scroll bar to the middle of the
//       clip, selects 10 seconds there by dragging on the time line and presses Delete.
//       Prints per round:
//         "cut_ms MS": from the Delete key to the log line that says the stretch is deleted
//           (polled every millisecond). By then the cut is flushed and renamed to its final
//           name in "Unpublished" and the time line has been redrawn with the new length.
//         "length_ms N": the new clip's length, as that line gives it;
//         "working_set_growth_kb N": the program's peak resident memory from the key until
//           the command has returned, less what it held just before the key (the peak is
//           reset then through /proc/PID/clear_refs of the program's Linux process);
//         "read_bytes N", "written_bytes N": what that process read and wrote through the
//           system meanwhile (/proc/PID/io: rchar and wchar, tmpfs writes included).
//   edit_bench tighten CLIP ROUNDS [LONGER]
//       the real program, ROUNDS times: opens CLIP as above (its levels measured whole, or
//       taken from the cache), opens "Tighten pauses..." from the system menu, types LONGER
//       (seconds) as the length of the pauses to shorten if given, reads what the note says
//       of the plan and clicks OK. Prints "lengths LONGER TO" as the dialog shows them, and
//       per round "tighten_ms MS" (from the click on OK to the "Deleted ..." line of the
//       tightened clip), "pauses N" (as the note and the log lines say), "length_ms N" and
//       the working set and the bytes as for the cut.
// Exit code 0 when every round succeeded.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>
#include "../../recorder_app/app/editing/edit_menu.h"
#include "../../recorder_app/controls/scroll_geometry.h"
#include "../../recorder_app/res/resource.h"
#include "../support/file_bytes.h"
#include "app_harness.h"
#include "sound_check.h"

using namespace e2e;

namespace {

constexpr int kSelectionColumns = 50;  // 10 s at the time line's 5 columns a second

double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

int Fail(const char* what) {
    std::fprintf(stderr, "edit_bench: %s\n", what);
    return 1;
}

size_t CountPrefixed(const std::vector<std::wstring>& lines, const std::wstring& prefix) {
    size_t count = 0;
    for (const std::wstring& line : lines) count += line.rfind(prefix, 0) == 0;
    return count;
}

size_t Count(const std::vector<std::wstring>& lines, const std::wstring& line) {
    size_t count = 0;
    for (const std::wstring& logged : lines) count += logged == line;
    return count;
}

long long SizeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The Linux process that runs the program: the one whose command line names the
// executable in the program's own folder.
std::wstring LinuxProcessOf(const RecorderApp& app) {
    const std::wstring& folder = app.AppDir();
    std::string needle;
    for (wchar_t c : folder.substr(folder.find_last_of(L'\\') + 1)) needle.push_back(static_cast<char>(c));
    needle += "\\recorder.exe";
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE) return {};
    std::wstring process;
    do {
        if (found.cFileName[0] < L'0' || found.cFileName[0] > L'9') continue;
        const std::wstring dir = std::wstring(L"Z:\\proc\\") + found.cFileName;
        const std::string commandLine = ReadFileBytes(dir + L"\\cmdline");
        if (commandLine.find(needle) != std::string::npos) process = dir;
    } while (process.empty() && FindNextFileW(search, &found));
    FindClose(search);
    return process;
}

// A "Name: value" field of a /proc file, or -1.
long long ProcField(const std::wstring& file, const char* name) {
    const std::string text = ReadFileBytes(file);
    const std::string key = std::string("\n") + name;
    const size_t at = ("\n" + text).find(key);
    if (at == std::string::npos) return -1;
    const char* value = text.c_str() + at + key.size() - 1;
    while (*value == ':' || *value == ' ' || *value == '\t') ++value;
    return std::atoll(value);
}

bool ResetPeak(const std::wstring& process) {
    FILE* refs = _wfopen((process + L"\\clear_refs").c_str(), L"w");
    if (refs == nullptr) return false;
    const bool ok = std::fputs("5", refs) >= 0;
    return std::fclose(refs) == 0 && ok;
}

bool CommandReturned(const RecorderApp& app) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(app.MainWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result) != 0;
}

// The pointer to a client point of `window`, with the button pressed or released there.
void Mouse(HWND window, int x, int y, DWORD button) {
    POINT at{x, y};
    ClientToScreen(window, &at);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = at.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = at.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | button;
    SendInput(1, &input, sizeof input);
}

// A press and release in the middle of `window`, at once.
void Click(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    Mouse(window, r.right / 2, r.bottom / 2, 0);
    Mouse(window, r.right / 2, r.bottom / 2, MOUSEEVENTF_LEFTDOWN);
    Mouse(window, r.right / 2, r.bottom / 2, MOUSEEVENTF_LEFTUP);
}

// A press at `fromX`, moves to `toX` in steps, a release there; the program is let take
// each step before the next.
bool Drag(const RecorderApp& app, HWND window, int fromX, int toX, int y) {
    Mouse(window, fromX, y, 0);
    Mouse(window, fromX, y, MOUSEEVENTF_LEFTDOWN);
    if (!app.WaitUntilIdle()) return false;
    const int steps = 10;
    for (int i = 1; i <= steps; ++i) {
        Mouse(window, fromX + (toX - fromX) * i / steps, y, 0);
        if (!app.WaitUntilIdle()) return false;
    }
    Mouse(window, toX, y, MOUSEEVENTF_LEFTUP);
    return app.WaitUntilIdle();
}

// 10 s from the middle of the clip: the scroll bar's thumb dragged from the left end to the
// middle of its track, then a drag of 50 columns in the time line's clip area.
bool SelectInTheMiddle(RecorderApp& app) {
    HWND main = app.MainWindow();
    SetForegroundWindow(main);
    WaitFor([&] { return GetForegroundWindow() == main; }, 2000);
    POINT inside{144, 130};  // a client point of the time line
    HWND line = ChildWindowFromPointEx(main, inside, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
    HWND bar = line != nullptr ? GetWindow(line, GW_CHILD) : nullptr;
    if (line == nullptr || line == main || bar == nullptr) return false;
    RECT barRect, lineRect;
    GetClientRect(bar, &barRect);
    GetClientRect(line, &lineRect);
    if (!Drag(app, bar, scroll::kArrowWidth + 2, barRect.right / 2, scroll::kBarHeight / 2)) return false;
    const int from = lineRect.right / 2 - kSelectionColumns / 2;
    return Drag(app, line, from, from + kSelectionColumns, scroll::kBarHeight + 20);
}

struct Counters {
    long long read = 0, written = 0;
};

Counters IoOf(const std::wstring& process) {
    const std::wstring io = process + L"\\io";
    return Counters{ProcField(io, "rchar"), ProcField(io, "wchar")};
}

// The clip opened through the Open box for the `round`th time (from 0) in this program run,
// the cut clip of the round before left; returns once no level scan of the clip runs.
const char* OpenClip(RecorderApp& app, const std::wstring& clip, int round) {
    if (!app.WaitUntilIdle()) return "the program is busy";
    app.ClickControl(IDC_OPEN);
    if (round > 0) {
        const MessageBoxInfo question = app.WaitForMessageBox();
        if (question.caption != L"Confirm action" || !app.WaitUntilIdle() || !app.AnswerMessageBox(question, IDOK))
            return "Open did not ask to leave the cut clip";
    }
    if (!app.ChooseFileInDialog(clip) || !CommandReturned(app)) return "the Open box did not close";
    // A level scan of the clip would run beside the cut (and the cut would stop it).
    const std::wstring scan = L"Level scan of " + clip;
    const bool opened = WaitFor(
        [&] {
            const auto lines = app.LogLines();
            return Count(lines, L"File selected: " + clip) == static_cast<size_t>(round) + 1 &&
                   Count(lines, scan + L" started") == Count(lines, scan + L" done") + Count(lines, scan + L" stopped");
        },
        120000);
    return opened ? nullptr : "the clip was not opened, or its level scan did not end";
}

int Cut(const std::wstring& clip, int rounds) {
    RecorderApp app;
    if (!app.Start()) return Fail("the program did not start");
    const std::wstring process = LinuxProcessOf(app);
    if (process.empty()) return Fail("the program's Linux process was not found");
    const std::wstring log = app.LogPath();
    // "... from <clip> (<N> ms) into <target>: <N> ms long now, ..."
    const std::wstring deleted = L"Deleted 1 stretch(es) from " + clip + L" (";
    for (int round = 0; round < rounds; ++round) {
        if (const char* failed = OpenClip(app, clip, round)) return Fail(failed);
        if (!SelectInTheMiddle(app)) return Fail("the time line was not found");

        const size_t before = CountPrefixed(app.LogLines(), deleted);
        long long logSize = SizeOf(log);
        if (!ResetPeak(process)) return Fail("cannot reset the peak working set");
        const long long resident = ProcField(process + L"\\status", "VmRSS");
        const Counters io = IoOf(process);
        HWND main = app.MainWindow();
        SetForegroundWindow(main);
        WaitFor([&] { return GetForegroundWindow() == main; }, 2000);

        const double start = Now();
        app.PressKey(VK_DELETE);
        std::wstring said;
        for (;; Sleep(1)) {
            if (Now() - start > 120000) return Fail("no deletion in the log");
            const long long size = SizeOf(log);
            if (size == logSize) continue;
            logSize = size;
            const auto lines = app.LogLines();
            if (CountPrefixed(lines, deleted) > before) {
                said = app.LastLogValue(deleted);
                break;
            }
        }
        const double elapsed = Now() - start;
        if (!CommandReturned(app)) return Fail("the Delete command did not return");
        const long long peak = ProcField(process + L"\\status", "VmHWM");
        const Counters after = IoOf(process);

        const size_t into = said.find(L" into ");
        said = into == std::wstring::npos ? std::wstring() : said.substr(into + 6);
        const size_t colon = said.find(L": ");
        const std::wstring target = said.substr(0, colon);
        const long long length = colon == std::wstring::npos ? -1 : std::wcstoll(said.c_str() + colon + 2, nullptr, 10);
        if (!FileExists(target) || length <= 0) return Fail("the cut clip is not under its name");
        std::printf("cut_ms %.1f\nlength_ms %lld\nworking_set_growth_kb %lld\nread_bytes %lld\nwritten_bytes %lld\n",
                    elapsed, length, peak - resident, after.read - io.read, after.written - io.written);
        std::fflush(stdout);
    }
    return 0;
}

// What an edit box of the program holds (its window text is not the system's to give out
// across processes: the box is asked).
std::wstring FieldText(HWND field) {
    wchar_t text[64] = L"";
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(field, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, &copied);
    return text;
}

// The "Tighten pauses" dialog of the program.
HWND WaitForTightenDialog(const RecorderApp& app) {
    HWND dialog = nullptr;
    WaitFor(
        [&] {
            for (HWND window : TopLevelWindowsOf(app.ProcessId())) {
                if (window != app.MainWindow() && IsWindowVisible(window) && WindowText(window) == L"Tighten pauses") {
                    dialog = window;
                    return true;
                }
            }
            return false;
        },
        10000);
    return dialog;
}

// The dialog's note once it says what `longer` seconds (if given) and its "to" length shorten:
// "<N> pauses are shortened, ..." with OK enabled, or why not.
std::wstring PlanNote(HWND dialog, const std::wstring& longer) {
    HWND field = GetDlgItem(dialog, IDC_TIGHTEN_LONGER);
    HWND note = GetDlgItem(dialog, IDC_TIGHTEN_NOTE);
    const auto planned = [&] {
        const std::wstring text = WindowText(note);
        return !text.empty() && text.rfind(L"Measuring", 0) != 0 && IsWindowEnabled(field);
    };
    if (!WaitFor(planned, 60000)) return WindowText(note);
    if (!longer.empty() && FieldText(field) != longer) {
        const std::wstring before = WindowText(note);
        DWORD_PTR done = 0;  // the box's change notice makes the plan anew
        SendMessageTimeoutW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(longer.c_str()), SMTO_NORMAL, 5000, &done);
        WaitFor([&] { return WindowText(note) != before; }, 10000);
    }
    return WindowText(note);
}

// Lines "Deleted <N> stretch(es) from <clip> (...": the deletions and tightenings of `clip`.
std::vector<std::wstring> DeletionsFrom(const std::vector<std::wstring>& lines, const std::wstring& clip) {
    const std::wstring from = L" stretch(es) from " + clip + L" (";
    std::vector<std::wstring> found;
    for (const std::wstring& line : lines)
        if (line.rfind(L"Deleted ", 0) == 0 && line.find(from) != std::wstring::npos) found.push_back(line);
    return found;
}

int Tighten(const std::wstring& clip, int rounds, const std::wstring& longer) {
    RecorderApp app;
    if (!app.Start()) return Fail("the program did not start");
    const std::wstring process = LinuxProcessOf(app);
    if (process.empty()) return Fail("the program's Linux process was not found");
    const std::wstring log = app.LogPath();
    for (int round = 0; round < rounds; ++round) {
        if (const char* failed = OpenClip(app, clip, round)) return Fail(failed);
        if (!app.WaitUntilIdle()) return Fail("the program is busy");
        PostMessageW(app.MainWindow(), WM_SYSCOMMAND, kTightenPausesCommand, 0);
        HWND dialog = WaitForTightenDialog(app);
        if (dialog == nullptr) return Fail("the tightening dialog did not open");
        // "<N> pauses are shortened, saving at least ..."
        const std::wstring note = PlanNote(dialog, longer);
        const long pauses = std::wcstol(note.c_str(), nullptr, 10);
        if (pauses <= 0 || note.find(L"not measured") != std::wstring::npos || !IsWindowEnabled(GetDlgItem(dialog, IDOK))) {
            std::fprintf(stderr, "edit_bench: the note says: %ls\n", note.c_str());
            return Fail("the dialog does not offer the clip's pauses measured whole");
        }
        if (round == 0)
            std::printf("lengths %ls %ls\n", FieldText(GetDlgItem(dialog, IDC_TIGHTEN_LONGER)).c_str(),
                        FieldText(GetDlgItem(dialog, IDC_TIGHTEN_TO)).c_str());
        HWND ok = GetDlgItem(dialog, IDOK);

        const size_t before = DeletionsFrom(app.LogLines(), clip).size();
        const size_t asked = CountPrefixed(app.LogLines(), L"Tightening ");
        // The dialog in front before the clock starts, so that the click is the press alone.
        SetForegroundWindow(dialog);
        WaitFor([&] { return GetForegroundWindow() == dialog; }, 2000);
        if (!app.WaitUntilIdle()) return Fail("the program is busy");
        if (!ResetPeak(process)) return Fail("cannot reset the peak working set");
        const long long resident = ProcField(process + L"\\status", "VmRSS");
        const Counters io = IoOf(process);
        long long logSize = SizeOf(log);

        double start = Now();
        Click(ok);
        std::wstring said;
        for (int clicks = 1;; Sleep(1)) {
            if (Now() - start > 120000) return Fail("no tightening in the log");
            // A click made before the X server has mapped the dialog is lost: made again.
            if (Now() - start > 3000 && IsWindowEnabled(ok) && CountPrefixed(app.LogLines(), L"Tightening ") == asked) {
                if (++clicks > 3) return Fail("OK was not taken");
                std::fprintf(stderr, "edit_bench: the click on OK was lost; clicking again\n");
                start = Now();
                Click(ok);
                continue;
            }
            const long long size = SizeOf(log);
            if (size == logSize) continue;
            logSize = size;
            const std::vector<std::wstring> found = DeletionsFrom(app.LogLines(), clip);
            if (found.size() > before) {
                said = found.back();
                break;
            }
        }
        const double elapsed = Now() - start;
        if (!CommandReturned(app)) return Fail("the tightening did not return");
        const long long peak = ProcField(process + L"\\status", "VmHWM");
        const Counters after = IoOf(process);

        // "Deleted <N> stretch(es) from <clip> (<N> ms) into <target>: <N> ms long now, ..."
        const long stretches = std::wcstol(said.c_str() + 8, nullptr, 10);
        const std::wstring asking = app.LastLogValue(L"Tightening ");
        const size_t into = said.find(L" into ");
        said = into == std::wstring::npos ? std::wstring() : said.substr(into + 6);
        const size_t colon = said.find(L": ");
        const std::wstring target = said.substr(0, colon);
        const long long length = colon == std::wstring::npos ? -1 : std::wcstoll(said.c_str() + colon + 2, nullptr, 10);
        if (!FileExists(target) || length <= 0) return Fail("the tightened clip is not under its name");
        if (stretches != pauses || std::wcstol(asking.c_str(), nullptr, 10) != pauses)
            return Fail("the log does not shorten the pauses the note counts");
        std::printf("tighten_ms %.1f\npauses %ld\nlength_ms %lld\nworking_set_growth_kb %lld\nread_bytes %lld\n"
                    "written_bytes %lld\n",
                    elapsed, pauses, length, peak - resident, after.read - io.read, after.written - io.written);
        std::fflush(stdout);
    }
    return 0;
}

int Podcasts() {
    const std::wstring unpublished = UnpublishedFolder();
    const std::wstring podcasts = unpublished.substr(0, unpublished.find_last_of(L'\\'));
    CreateDirectoryW(podcasts.c_str(), nullptr);
    const std::string path = UnixPathOf(podcasts);
    if (path.empty()) return Fail("no unix path for My Podcasts");
    std::printf("%s\n", path.c_str());
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"podcasts" && argc == 2) return Podcasts();
    if (mode == L"cut" && argc == 4) return Cut(argv[2], _wtoi(argv[3]));
    if (mode == L"tighten" && (argc == 4 || argc == 5)) return Tighten(argv[2], _wtoi(argv[3]), argc == 5 ? argv[4] : L"");
    std::fprintf(stderr, "usage: edit_bench podcasts | cut CLIP ROUNDS | tighten CLIP ROUNDS [LONGER]\n");
    return 2;
}
