// wave_probe: a minimal waveIn/waveOut client used to prove that the sound
// path of the test environment works end to end.
//
//   wave_probe record OUT.wav SECONDS   record from WAVE_MAPPER (44.1 kHz,
//                                       16-bit, mono) into a WAV file
//   wave_probe play FREQ_HZ SECONDS     play a sine through WAVE_MAPPER
//
// On "record", the line "recording" is printed (and flushed) once
// waveInStart() has succeeded, so a driving script can wait for it.
// Exit code 0 on success; any failure prints a message on stderr and
// returns non-zero.

#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr DWORD kRate = 44100;
constexpr WORD kChannels = 1;
constexpr WORD kBits = 16;
constexpr WORD kBlockAlign = kChannels * kBits / 8;
constexpr double kPi = 3.14159265358979323846;

// Set by Ctrl-C / Ctrl-Break so an interrupted run reports failure.
std::atomic<bool> g_interrupted{false};

BOOL WINAPI on_console_event(DWORD) {
    g_interrupted = true;
    return TRUE;
}

std::string narrow(const std::wstring& w) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()),
                                nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), &s[0], n,
                        nullptr, nullptr);
    return s;
}

int fail(const std::string& msg) {
    std::fprintf(stderr, "wave_probe: %s\n", msg.c_str());
    std::fflush(stderr);
    return 1;
}

std::string in_error(const char* what, MMRESULT r) {
    wchar_t text[MAXERRORLENGTH] = L"";
    waveInGetErrorTextW(r, text, MAXERRORLENGTH);
    return std::string(what) + " failed (" + std::to_string(r) + "): " + narrow(text);
}

std::string out_error(const char* what, MMRESULT r) {
    wchar_t text[MAXERRORLENGTH] = L"";
    waveOutGetErrorTextW(r, text, MAXERRORLENGTH);
    return std::string(what) + " failed (" + std::to_string(r) + "): " + narrow(text);
}

WAVEFORMATEX pcm_format() {
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = kChannels;
    f.nSamplesPerSec = kRate;
    f.wBitsPerSample = kBits;
    f.nBlockAlign = kBlockAlign;
    f.nAvgBytesPerSec = kRate * kBlockAlign;
    f.cbSize = 0;
    return f;
}

// Parses a positive finite number; returns false on junk or trailing text.
bool parse_positive(const wchar_t* text, double max, double& out) {
    wchar_t* end = nullptr;
    double v = std::wcstod(text, &end);
    if (end == text || *end != L'\0' || !std::isfinite(v) || v <= 0.0 || v > max)
        return false;
    out = v;
    return true;
}

void put_u16(std::vector<uint8_t>& b, uint16_t v) {
    b.push_back(static_cast<uint8_t>(v & 0xff));
    b.push_back(static_cast<uint8_t>(v >> 8));
}

void put_u32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>((v >> (8 * i)) & 0xff));
}

bool write_wav(const std::wstring& path, const std::vector<uint8_t>& pcm, std::string& err) {
    std::vector<uint8_t> h;
    const uint32_t data_size = static_cast<uint32_t>(pcm.size());
    h.insert(h.end(), {'R', 'I', 'F', 'F'});
    put_u32(h, 36 + data_size);
    h.insert(h.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put_u32(h, 16);
    put_u16(h, WAVE_FORMAT_PCM);
    put_u16(h, kChannels);
    put_u32(h, kRate);
    put_u32(h, kRate * kBlockAlign);
    put_u16(h, kBlockAlign);
    put_u16(h, kBits);
    h.insert(h.end(), {'d', 'a', 't', 'a'});
    put_u32(h, data_size);

    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        err = "cannot create " + narrow(path) + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    bool ok = true;
    const std::vector<uint8_t>& header = h;
    for (const std::vector<uint8_t>* part : {&header, &pcm}) {
        DWORD written = 0;
        if (!part->empty() &&
            (!WriteFile(file, part->data(), static_cast<DWORD>(part->size()), &written, nullptr) ||
             written != part->size())) {
            ok = false;
        }
    }
    if (!CloseHandle(file)) ok = false;
    if (!ok) err = "cannot write " + narrow(path) + " (error " + std::to_string(GetLastError()) + ")";
    return ok;
}

int record(const std::wstring& out_path, double seconds) {
    const size_t wanted = static_cast<size_t>(std::llround(seconds * kRate)) * kBlockAlign;
    constexpr size_t kBuffers = 8;
    constexpr size_t kBufferBytes = (kRate / 20) * kBlockAlign;  // 50 ms each

    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!event) return fail("CreateEvent failed");

    WAVEFORMATEX fmt = pcm_format();
    HWAVEIN in = nullptr;
    MMRESULT r = waveInOpen(&in, WAVE_MAPPER, &fmt, reinterpret_cast<DWORD_PTR>(event), 0,
                            CALLBACK_EVENT);
    if (r != MMSYSERR_NOERROR) {
        CloseHandle(event);
        return fail(in_error("waveInOpen", r));
    }

    std::vector<std::vector<char>> storage(kBuffers, std::vector<char>(kBufferBytes));
    std::vector<WAVEHDR> headers(kBuffers);
    std::string error;
    size_t prepared = 0;
    for (size_t i = 0; i < kBuffers && error.empty(); ++i) {
        WAVEHDR& h = headers[i];
        h = WAVEHDR{};
        h.lpData = storage[i].data();
        h.dwBufferLength = static_cast<DWORD>(kBufferBytes);
        if ((r = waveInPrepareHeader(in, &h, sizeof h)) != MMSYSERR_NOERROR) {
            error = in_error("waveInPrepareHeader", r);
            break;
        }
        ++prepared;
        if ((r = waveInAddBuffer(in, &h, sizeof h)) != MMSYSERR_NOERROR)
            error = in_error("waveInAddBuffer", r);
    }

    std::vector<uint8_t> pcm;
    pcm.reserve(wanted + kBufferBytes);
    if (error.empty() && (r = waveInStart(in)) != MMSYSERR_NOERROR)
        error = in_error("waveInStart", r);
    if (error.empty()) {
        std::printf("recording\n");
        std::fflush(stdout);
    }

    // Buffers come back in order; requeue each one until enough audio arrived.
    // Give up if no buffer completes for a while (a stalled driver).
    const DWORD stall_ms = 5000;
    size_t next = 0;
    while (error.empty() && pcm.size() < wanted) {
        if (g_interrupted) {
            error = "interrupted";
            break;
        }
        WAVEHDR& h = headers[next];
        if (!(h.dwFlags & WHDR_DONE)) {
            DWORD w = WaitForSingleObject(event, stall_ms);
            if (w == WAIT_TIMEOUT && !(h.dwFlags & WHDR_DONE)) {
                error = "no audio arrived from the input device for " +
                        std::to_string(stall_ms / 1000) + " s";
            } else if (w == WAIT_FAILED) {
                error = "waiting for input failed";
            }
            continue;
        }
        const size_t take = std::min<size_t>(h.dwBytesRecorded, wanted - pcm.size());
        pcm.insert(pcm.end(), h.lpData, h.lpData + take);
        h.dwFlags &= ~WHDR_DONE;
        h.dwBytesRecorded = 0;
        if (pcm.size() < wanted && (r = waveInAddBuffer(in, &h, sizeof h)) != MMSYSERR_NOERROR)
            error = in_error("waveInAddBuffer", r);
        next = (next + 1) % kBuffers;
    }

    waveInReset(in);  // returns every queued buffer marked done
    for (size_t i = 0; i < prepared; ++i) waveInUnprepareHeader(in, &headers[i], sizeof headers[i]);
    r = waveInClose(in);
    if (error.empty() && r != MMSYSERR_NOERROR) error = in_error("waveInClose", r);
    CloseHandle(event);
    if (!error.empty()) return fail(error);

    if (!write_wav(out_path, pcm, error)) return fail(error);
    return 0;
}

int play(double freq, double seconds) {
    const size_t frames = static_cast<size_t>(std::llround(seconds * kRate));
    std::vector<int16_t> samples(frames);
    const size_t ramp = std::min<size_t>(kRate / 200, frames / 2);  // 5 ms fade in/out
    for (size_t i = 0; i < frames; ++i) {
        double gain = 0.5;
        if (i < ramp) gain *= static_cast<double>(i) / ramp;
        if (frames - 1 - i < ramp) gain *= static_cast<double>(frames - 1 - i) / ramp;
        const double v = gain * std::sin(2.0 * kPi * freq * static_cast<double>(i) / kRate);
        samples[i] = static_cast<int16_t>(std::lround(v * 32767.0));
    }

    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!event) return fail("CreateEvent failed");

    WAVEFORMATEX fmt = pcm_format();
    HWAVEOUT out = nullptr;
    MMRESULT r = waveOutOpen(&out, WAVE_MAPPER, &fmt, reinterpret_cast<DWORD_PTR>(event), 0,
                             CALLBACK_EVENT);
    if (r != MMSYSERR_NOERROR) {
        CloseHandle(event);
        return fail(out_error("waveOutOpen", r));
    }

    WAVEHDR h{};
    h.lpData = reinterpret_cast<LPSTR>(samples.data());
    h.dwBufferLength = static_cast<DWORD>(samples.size() * sizeof(int16_t));
    std::string error;
    bool prepared = false;
    if ((r = waveOutPrepareHeader(out, &h, sizeof h)) != MMSYSERR_NOERROR) {
        error = out_error("waveOutPrepareHeader", r);
    } else {
        prepared = true;
        if ((r = waveOutWrite(out, &h, sizeof h)) != MMSYSERR_NOERROR)
            error = out_error("waveOutWrite", r);
    }

    if (error.empty()) {
        // The buffer must finish within its own length plus a generous margin.
        const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000) + 10000;
        while (!(h.dwFlags & WHDR_DONE)) {
            if (g_interrupted) {
                error = "interrupted";
                break;
            }
            const ULONGLONG now = GetTickCount64();
            if (now >= deadline) {
                error = "playback did not finish in time";
                break;
            }
            WaitForSingleObject(event, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 500)));
        }
    }

    if (!error.empty()) waveOutReset(out);
    if (prepared) waveOutUnprepareHeader(out, &h, sizeof h);
    r = waveOutClose(out);
    if (error.empty() && r != MMSYSERR_NOERROR) error = out_error("waveOutClose", r);
    CloseHandle(event);
    if (!error.empty()) return fail(error);
    return 0;
}

int usage() {
    std::fprintf(stderr,
                 "usage: wave_probe record OUT.wav SECONDS\n"
                 "       wave_probe play FREQ_HZ SECONDS\n");
    return 2;
}

}  // namespace

int main() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return fail("cannot parse the command line");
    std::vector<std::wstring> args(argv, argv + argc);
    LocalFree(argv);

    SetConsoleCtrlHandler(on_console_event, TRUE);
    if (args.size() != 4) return usage();
    double seconds = 0;
    if (!parse_positive(args[3].c_str(), 600.0, seconds)) {
        std::fprintf(stderr, "wave_probe: SECONDS must be a number in (0, 600]\n");
        return usage();
    }
    if (args[1] == L"record") return record(args[2], seconds);
    if (args[1] == L"play") {
        double freq = 0;
        if (!parse_positive(args[2].c_str(), kRate / 2.0, freq)) {
            std::fprintf(stderr, "wave_probe: FREQ_HZ must be a number in (0, 22050]\n");
            return usage();
        }
        return play(freq, seconds);
    }
    return usage();
}
