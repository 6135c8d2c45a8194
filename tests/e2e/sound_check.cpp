#include "sound_check.h"
#include <shlobj.h>
#include <cmath>
#include <cstring>
#include "app_harness.h"

namespace e2e {

namespace {

constexpr int kRate = 44100;
constexpr int kWindow = kRate / 20;      // 50 ms
constexpr double kLoudRms = 1000.0;      // the tones are played at half of full scale
constexpr int kMinWindows = 3;

std::wstring Widen(const char* text) {
    std::wstring wide;
    while (*text) wide.push_back(static_cast<unsigned char>(*text++));
    return wide;
}

}  // namespace

std::string UnixPathOf(const std::wstring& path) {
    using ToUnix = char*(CDECL*)(const wchar_t*);
    auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (toUnix == nullptr) return {};
    char* unixPath = toUnix(path.c_str());
    if (unixPath == nullptr) return {};
    std::string result = unixPath;
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

namespace {

int g_decodes = 0;

double Rms(const short* samples, int count) {
    double sum = 0;
    for (int i = 0; i < count; ++i) sum += static_cast<double>(samples[i]) * samples[i];
    return std::sqrt(sum / count);
}

double Goertzel(const short* samples, int count, double hz) {
    const double coefficient = 2 * std::cos(2 * M_PI * hz / kRate);
    double previous = 0, before = 0;
    for (int i = 0; i < count; ++i) {
        const double next = samples[i] + coefficient * previous - before;
        before = previous;
        previous = next;
    }
    return previous * previous + before * before - coefficient * previous * before;
}

}  // namespace

std::wstring UnpublishedFolder() {
    wchar_t documents[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents);
    return JoinPath(JoinPath(documents, L"My Podcasts"), L"Unpublished");
}

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(JoinPath(folder, L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

long long FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Wine starts a unix program without waiting for it, so the script announces the end by
// the appearance of its result file.
bool RunUnixScript(const wchar_t* script, const std::wstring& work, const std::wstring& args,
                   std::string& result, DWORD timeoutMs) {
    const std::string unixWork = UnixPathOf(work);
    if (unixWork.empty()) return false;
    const std::wstring resultPath = JoinPath(work, L"result");
    DeleteFileW(resultPath.c_str());
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring start = JoinPath(system, L"start.exe");
    std::wstring commandLine = L"start.exe /unix /bin/sh " + Widen(QB_E2E_SOURCE_DIR) + L"/" + script + L" " +
                               Widen(unixWork.c_str()) + L" " + args;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(start.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (!WaitFor([&] { return FileExists(resultPath); }, timeoutMs)) return false;
    result = ReadBytes(resultPath);
    DeleteFileW(resultPath.c_str());
    return true;
}

// The tools run outside Wine.
DecodedClip DecodeClip(const std::wstring& path, DWORD timeoutMs) {
    DecodedClip clip;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    // A folder without spaces of its own, so that no path needs quoting on its way out.
    const std::wstring work = JoinPath(temp, L"qb-decode-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                                 std::to_wstring(++g_decodes));
    CreateDirectoryW(work.c_str(), nullptr);
    const std::wstring copy = JoinPath(work, L"clip.mp3"), raw = JoinPath(work, L"clip.raw"),
                       result = JoinPath(work, L"result");
    const std::string unixWork = UnixPathOf(work);
    if (CopyFileW(path.c_str(), copy.c_str(), FALSE) && !unixWork.empty()) {
        wchar_t system[MAX_PATH];
        GetSystemDirectoryW(system, MAX_PATH);
        const std::wstring start = JoinPath(system, L"start.exe");
        const std::wstring w = Widen(unixWork.c_str());
        std::wstring commandLine = L"start.exe /unix /bin/sh " + Widen(QB_E2E_SOURCE_DIR) + L"/decode_clip.sh " + w +
                                   L"/clip.mp3 " + w + L"/clip.raw " + w + L"/result";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (CreateProcessW(start.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                           nullptr, &startup, &process)) {
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
            if (WaitFor([&] { return FileExists(result); }, timeoutMs)) {
                clip.decoded = true;
                clip.complaints = ReadBytes(result);
                const std::string bytes = ReadBytes(raw);
                clip.samples.resize(bytes.size() / 2);
                if (!clip.samples.empty()) memcpy(clip.samples.data(), bytes.data(), clip.samples.size() * 2);
            } else {
                clip.complaints = "the decoding script gave no result";
            }
        }
    }
    for (const wchar_t* name : {L"clip.mp3", L"clip.raw", L"result"}) DeleteFileW(JoinPath(work, name).c_str());
    RemoveDirectoryW(work.c_str());
    return clip;
}

MonitorRecorder::MonitorRecorder(int maxSeconds) {
    constexpr int kBlock = kRate / 10;
    const int blocks = maxSeconds * 10;
    m_samples.resize(static_cast<size_t>(blocks) * kBlock);
    m_headers.resize(blocks);
    WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, kRate, kRate * 2, 2, 16, 0};
    if (waveInOpen(&m_device, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
        m_device = nullptr;
        return;
    }
    for (int i = 0; i < blocks; ++i) {
        WAVEHDR& header = m_headers[i];
        header.lpData = reinterpret_cast<LPSTR>(&m_samples[static_cast<size_t>(i) * kBlock]);
        header.dwBufferLength = kBlock * sizeof(short);
        waveInPrepareHeader(m_device, &header, sizeof header);
        waveInAddBuffer(m_device, &header, sizeof header);
    }
    waveInStart(m_device);
}

MonitorRecorder::~MonitorRecorder() {
    Stop();
}

std::vector<short> MonitorRecorder::Samples() const {
    std::vector<short> samples;
    for (const WAVEHDR& header : m_headers) {
        if (!(header.dwFlags & WHDR_DONE)) break;
        const short* data = reinterpret_cast<const short*>(header.lpData);
        samples.insert(samples.end(), data, data + header.dwBytesRecorded / sizeof(short));
    }
    return samples;
}

void MonitorRecorder::Stop() {
    if (m_device == nullptr) return;
    waveInReset(m_device);
    for (WAVEHDR& header : m_headers) waveInUnprepareHeader(m_device, &header, sizeof header);
    waveInClose(m_device);
    m_device = nullptr;
}

std::vector<ToneRun> ToneRuns(const std::vector<short>& samples, const std::vector<ToneClass>& classes) {
    std::vector<ToneRun> runs;
    std::vector<int> windows;  // per run
    for (size_t start = 0; start + kWindow <= samples.size(); start += kWindow) {
        const short* window = &samples[start];
        if (Rms(window, kWindow) < kLoudRms) continue;
        int label = -1;
        double strongest = -1;
        for (const ToneClass& tone : classes) {
            const double power = Goertzel(window, kWindow, tone.hz);
            if (power > strongest) {
                strongest = power;
                label = tone.label;
            }
        }
        const int startMs = static_cast<int>(start * 1000 / kRate);
        const int endMs = static_cast<int>((start + kWindow) * 1000 / kRate);
        if (!runs.empty() && runs.back().label == label) {
            runs.back().endMs = endMs;
            runs.back().soundMs += 50;
            ++windows.back();
        } else {
            runs.push_back({label, startMs, endMs, 50});
            windows.push_back(1);
        }
    }
    std::vector<ToneRun> merged;
    for (size_t i = 0; i < runs.size(); ++i) {
        if (windows[i] < kMinWindows) continue;
        if (!merged.empty() && merged.back().label == runs[i].label) {
            merged.back().endMs = runs[i].endMs;
            merged.back().soundMs += runs[i].soundMs;
        } else {
            merged.push_back(runs[i]);
        }
    }
    return merged;
}

int TrailingQuietMs(const std::vector<short>& samples) {
    int quiet = 0;
    for (size_t end = samples.size(); end >= kWindow; end -= kWindow) {
        if (Rms(&samples[end - kWindow], kWindow) >= kLoudRms) break;
        quiet += 50;
    }
    return quiet;
}

std::string Describe(const std::vector<ToneRun>& runs) {
    std::string text;
    for (const ToneRun& run : runs)
        text += "[" + std::to_string(run.label) + ": " + std::to_string(run.startMs) + "-" +
                std::to_string(run.endMs) + " ms, " + std::to_string(run.soundMs) + " ms heard] ";
    return text;
}

}  // namespace e2e
