// What the program recorded and played, checked by ear: MP3 clips decoded by an independent
// tool outside Wine, the null sink's monitor captured, and which tones sound when.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <string>
#include <vector>

namespace e2e {

// "My Podcasts\Unpublished" in the documents folder, where the program records.
std::wstring UnpublishedFolder();
// Names of the files (not folders) in a folder.
std::vector<std::wstring> FilesIn(const std::wstring& folder);
// The file's size, or -1 when there is none.
long long FileSize(const std::wstring& path);

// Runs tests/e2e/SCRIPT with /bin/sh outside Wine as `SCRIPT WORK ARGS...`, where WORK is
// the unix path of `work` (a folder without spaces), and waits until the script has made
// WORK/result; returns its content, or false when it did not come in time.
bool RunUnixScript(const wchar_t* script, const std::wstring& work, const std::wstring& args,
                   std::string& result, DWORD timeoutMs = 60000);
// Wine's own mapping of a Windows path to the unix one; the folder must exist.
std::string UnixPathOf(const std::wstring& path);

struct DecodedClip {
    bool decoded = false;
    // What the tools said about the frames: empty when every frame is valid.
    std::string complaints;
    std::vector<short> samples;  // mono, 44100 Hz
};
// Decodes an MP3 file with ffmpeg (which checks every frame's CRC) and checks it with
// mpg123, both run as unix programs.
DecodedClip DecodeClip(const std::wstring& path, DWORD timeoutMs = 60000);

// Records the default wave input, the null sink's monitor, in 100 ms blocks from the start.
class MonitorRecorder {
public:
    explicit MonitorRecorder(int maxSeconds);
    ~MonitorRecorder();
    MonitorRecorder(const MonitorRecorder&) = delete;
    MonitorRecorder& operator=(const MonitorRecorder&) = delete;

    bool IsRecording() const { return m_device != nullptr; }
    // The sound of the blocks complete so far.
    std::vector<short> Samples() const;
    void Stop();

private:
    HWAVEIN m_device = nullptr;
    std::vector<short> m_samples;
    std::vector<WAVEHDR> m_headers;
};

// A stretch in which one kind of sound is heard.
struct ToneRun {
    int label;
    int startMs;
    int endMs;
    // Without the quiet moments inside: what a stuttering output stretches is left out.
    int soundMs;
};
struct ToneClass {
    int label;
    double hz;
};
// Splits the sound into 50 ms windows, gives each loud window the label of the strongest of
// the frequencies, skips quiet ones, and returns the runs of one label that last at least
// 150 ms (shorter ones are dropped and their neighbours of one label merged).
std::vector<ToneRun> ToneRuns(const std::vector<short>& samples, const std::vector<ToneClass>& classes);
// Milliseconds of quiet at the end of the sound.
int TrailingQuietMs(const std::vector<short>& samples);
std::string Describe(const std::vector<ToneRun>& runs);

}  // namespace e2e
