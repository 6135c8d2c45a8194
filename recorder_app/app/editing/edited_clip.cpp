#include "app/editing/edited_clip.h"

#include <windows.h>

#include <algorithm>
#include <ctime>

#include "app/takes/clip_names.h"
#include "audio/reading/clip_file.h"
#include "audio/reading/frame_header.h"
#include "audio/reading/frame_reader.h"
#include "audio/reading/sequential_clip_file.h"
#include "runtime/folders.h"
#include "runtime/system_error.h"

namespace {

// The cut's output: appended in the engine's runs of frames, up to a megabyte each, the Info
// frame written over at the end. The handle's pointer stays at the end between writes.
class FileClipWriter : public ClipWriter {
public:
    explicit FileClipWriter(HANDLE file) : m_file(file) {}
    bool Write(const uint8_t* data, size_t size) override {
        if (!WriteAll(data, size)) return false;
        m_end += size;
        return true;
    }
    bool WriteAt(uint64_t position, const uint8_t* data, size_t size) override {
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(position);
        if (!SetFilePointerEx(m_file, at, nullptr, FILE_BEGIN) || !WriteAll(data, size)) return false;
        at.QuadPart = static_cast<LONGLONG>(m_end);
        return SetFilePointerEx(m_file, at, nullptr, FILE_BEGIN) != FALSE;
    }
    DWORD LastError() const { return m_error; }

private:
    bool WriteAll(const uint8_t* data, size_t size) {
        while (size > 0) {
            const DWORD chunk = static_cast<DWORD>(size > (1u << 30) ? (1u << 30) : size);
            DWORD written = 0;
            if (!WriteFile(m_file, data, chunk, &written, nullptr) || written == 0) {
                m_error = GetLastError();
                return false;
            }
            data += written;
            size -= written;
        }
        return true;
    }
    HANDLE m_file;
    uint64_t m_end = 0;
    DWORD m_error = ERROR_SUCCESS;
};

// The clip as the cut reads it, counting what it read into the watch; a read after a cancel
// fails, which ends the cut at once.
class WatchedSource : public ByteSource {
public:
    WatchedSource(ByteSource& inner, CutWatch* watch) : m_inner(inner), m_watch(watch) {}
    long Read(uint8_t* dest, size_t count) override {
        if (m_watch == nullptr) return m_inner.Read(dest, count);
        if (m_watch->cancelled.load()) return -1;
        const long got = m_inner.Read(dest, count);
        if (got > 0) m_read += static_cast<uint64_t>(got);
        // The cut reads the clip once, and a few seam frames again.
        const uint64_t total = m_inner.Size();
        if (total > 0) m_watch->permille.store(static_cast<int>(std::min<uint64_t>(999, m_read * 1000 / total)));
        return got;
    }
    bool Seek(uint64_t position) override { return m_inner.Seek(position); }
    uint64_t Position() const override { return m_inner.Position(); }
    uint64_t Size() const override { return m_inner.Size(); }

private:
    ByteSource& m_inner;
    CutWatch* m_watch;
    uint64_t m_read = 0;
};

std::wstring CutResultText(int result) {
    switch (result) {
    case kCutReadFailed: return L"the clip could not be read";
    case kCutNoFrames: return L"the clip holds no MPEG audio frames";
    case kCutNotLayer3: return L"only MPEG Layer III clips can be cut";
    case kCutTooLarge: return L"the clip is too large";
    case kCutNothingToRemove: return L"the selection holds no whole frame";
    case kCutDamaged: return L"the clip is damaged next to the selection";
    default: return L"the shortened clip could not be written";
    }
}

}  // namespace

std::wstring NewEditedClipPath(const wchar_t* suffix) {
    const std::wstring podcasts = PodcastsFolder();
    CreateDirectoryW(podcasts.c_str(), nullptr);
    const std::wstring folder = InFolder(podcasts, L"Unpublished");
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (const std::tm* converted = std::localtime(&now)) local = *converted;
    wchar_t stamp[64];
    std::wcsftime(stamp, 64, L"%Y-%m-%d-%H-%M-%S", &local);
    const std::wstring stem = std::wstring(stamp) + suffix;
    std::wstring path = InFolder(folder, stem + L".mp3");
    for (int n = 1; GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; ++n)
        path = InFolder(folder, stem + L"-" + std::to_wstring(n) + L".mp3");
    return path;
}

bool ClipFrameClock(const std::wstring& clip, cuts::FrameClock& clock) {
    FrameReader reader;
    if (!reader.Open(clip.c_str())) return false;
    for (int tries = 0; tries < 8; ++tries) {
        const int result = reader.ReadFrame();
        if (result == FrameReader::kFrameRead) {
            const FrameHeader& header = reader.Header();
            clock.msPerFrame = reader.MsPerFrame();
            clock.samplesPerFrame = static_cast<uint32_t>(header.samplesPerFrame);
            clock.sampleRate = static_cast<uint32_t>(SampleRateOf(header.samplingIndex));
            // A Layer III frame reaches back at most 511 bytes (255 below MPEG-1) of sound data.
            const int reach = header.version == MpegVersion::Mpeg1 ? 511 : 255;
            const int own = static_cast<int>(reader.FrameSize()) - FrameReader::kHeaderBytes -
                            (header.crcPresent ? 2 : 0) - SideInfoLength(header);
            clock.seamCarriers = own > 0 ? static_cast<uint32_t>((reach + own - 1) / own) : 0;
            return clock.msPerFrame > 0 && clock.sampleRate > 0;
        }
        if (result != FrameReader::kNoFrame) return false;
    }
    return false;
}

int WriteCutClip(const std::wstring& source, const std::vector<FrameStretch>& stretches, const std::wstring& target,
                 CutSummary& summary, std::wstring& error, CutWatch* watch) {
    // The cut keeps its own megabyte-sized read buffer and reads the clip once, front to back.
    SequentialClipFile input;
    if (!input.Open(source.c_str())) {
        error = L"cannot open " + source + L": " + SystemErrorText(GetLastError());
        return kCutReadFailed;
    }
    const std::wstring name = FileNameOf(target);
    const std::wstring partial = target.substr(0, target.size() - name.size()) + L"~" + name + L".writing";
    HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = L"cannot create " + partial + L": " + SystemErrorText(GetLastError());
        return kCutWriteFailed;
    }
    FileClipWriter writer(file);
    WatchedSource watched(input, watch);
    int result = CutClip(watched, stretches, writer, &summary);
    if (result != kCutWritten && watch != nullptr && watch->cancelled.load()) result = kCutCancelled;
    LARGE_INTEGER size{};
    if (result == kCutWritten && (!FlushFileBuffers(file) || !GetFileSizeEx(file, &size) ||
                                  static_cast<uint64_t>(size.QuadPart) != summary.bytesWritten)) {
        result = kCutWriteFailed;
    }
    CloseHandle(file);
    if (result == kCutWritten) {
        SetFileAttributesW(partial.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (MoveFileExW(partial.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) return kCutWritten;
        error = L"cannot rename " + partial + L" to " + target + L": " + SystemErrorText(GetLastError());
        result = kCutWriteFailed;
    } else if (result == kCutCancelled) {
        error = L"cancelled";
    } else {
        error = CutResultText(result);
        if (result == kCutWriteFailed && writer.LastError() != ERROR_SUCCESS)
            error += L": " + SystemErrorText(writer.LastError());
    }
    DeleteFileW(partial.c_str());
    return result;
}

void RemoveUnfinishedCuts(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(InFolder(folder, L"~*.writing").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::wstring path = InFolder(folder, found.cFileName);
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

bool IsContinuableRecording(const std::wstring& clip) {
    ClipFile file;
    if (!file.Open(clip.c_str())) return false;
    uint8_t head[1024] = {};
    const long got = file.Read(head, sizeof head);
    if (got < 4) return false;
    FrameHeader header;
    const uint32_t window = HeaderOf(head);
    if (!IsValidHeader(window) || !ParseHeader(window, true, header)) return false;
    const bool recordingFormat = header.version == MpegVersion::Mpeg1 && header.layer == 3 &&
                                 header.channels == 1 && header.crcPresent &&
                                 SampleRateOf(header.samplingIndex) == 44100 &&
                                 BitrateOf(header.version, header.layer, header.bitrateIndex) == 96;
    // An Info frame in front is a frame of the same size: the join's bytes per millisecond
    // still hold, and the reader counts a clip joined on after the frames it counts.
    return recordingFormat;
}
