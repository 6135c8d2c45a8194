// The frames are found by the same reader that plays the clip; what lies between them (tags,
// junk) is copied as it is from a second, plain view of the file.
#include "audio/loudness/even_out_writer.h"

#include "audio/loudness/global_gain.h"
#include "audio/reading/clip_file.h"
#include "audio/reading/frame_reader.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

const EvenOutFileApi kSystemApi{&::WriteFile, &::FlushFileBuffers};
constexpr size_t kOutputChunk = 1 << 20;

class EvenOutCopy {
public:
    EvenOutCopy(const EvenOutFileApi& api, DWORD& systemError) : m_api(api), m_error(systemError) {
        m_output.reserve(kOutputChunk + 8192);
    }
    EvenOutCopy(const EvenOutCopy&) = delete;
    EvenOutCopy& operator=(const EvenOutCopy&) = delete;
    ~EvenOutCopy() {
        if (m_target != INVALID_HANDLE_VALUE) CloseHandle(m_target);
    }

    int Run(const wchar_t* source, const wchar_t* target, int steps, MeasureWatch* watch) {
        auto frames = std::make_unique<ClipFile>();
        if (!frames->Open(source) || !m_raw.Open(source)) return Failed(kEvenOutCannotOpen);
        const uint64_t size = frames->Size();
        FrameReader reader;
        if (!reader.Open(std::move(frames))) return Failed(kEvenOutCannotOpen);
        m_target = CreateFileW(target, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (m_target == INVALID_HANDLE_VALUE) return Failed(kEvenOutCannotCreate);

        FrameHeader first;
        bool haveFirst = false;
        for (;;) {
            if (watch && watch->cancelled.load()) return kEvenOutCancelled;
            const int read = reader.ReadFrame();
            if (read == FrameReader::kEndOfFile) break;
            if (read == FrameReader::kReadFailed) return Failed(kEvenOutReadFailed);
            if (read != FrameReader::kFrameRead) continue;
            const uint64_t offset = reader.FrameOffset();
            if (offset < m_copied) continue;  // never written twice
            if (const int copied = CopyRaw(offset)) return Failed(copied);
            // A truncated last frame is copied as far as the file holds it.
            const size_t length = static_cast<size_t>(std::min<uint64_t>(reader.FrameSize(), size - offset));
            const size_t at = m_output.size();
            m_output.insert(m_output.end(), reader.FrameData(), reader.FrameData() + length);
            FrameHeader header;
            if (ParseHeader(HeaderOf(reader.FrameData()), true, header)) {
                if (!haveFirst) first = header, haveFirst = true;
                GainLayout layout;
                const bool sameKind = header.layer == 3 && header.version == first.version &&
                                      header.samplingIndex == first.samplingIndex && header.channels == first.channels;
                if (sameKind && GainLayoutOf(header, layout) && length >= static_cast<size_t>(layout.protectedBytes) &&
                    !ShiftGains(m_output.data() + at, length, header, steps))
                    return Failed(kEvenOutGainRange);
            }
            m_copied = offset + length;
            if (m_output.size() >= kOutputChunk && !Flush()) return Failed(kEvenOutWriteFailed);
            if (watch && size) watch->permille.store(static_cast<uint32_t>(m_copied * 1000 / size));
        }
        if (const int copied = CopyRaw(size)) return Failed(copied);
        if (!Flush()) return Failed(kEvenOutWriteFailed);
        if (!m_api.flushFileBuffers(m_target)) return Failed(kEvenOutWriteFailed);
        LARGE_INTEGER written;
        if (!GetFileSizeEx(m_target, &written)) return Failed(kEvenOutWriteFailed);
        if (static_cast<uint64_t>(written.QuadPart) != size) return Failed(kEvenOutWrongSize);
        if (!CloseHandle(m_target)) return Failed(kEvenOutWriteFailed);
        m_target = INVALID_HANDLE_VALUE;
        return kEvenOutWritten;
    }

    void Abandon(const wchar_t* target) {
        if (m_target == INVALID_HANDLE_VALUE) return;
        CloseHandle(m_target);
        m_target = INVALID_HANDLE_VALUE;
        DeleteFileW(target);
    }

private:
    // Appends the source's bytes from what was copied so far up to `end`: 0, or the failure.
    int CopyRaw(uint64_t end) {
        // The plain view moves only when there is something between frames to copy: a seek
        // per frame would cost a system call each.
        if (m_copied < end && m_raw.Position() != m_copied && !m_raw.Seek(m_copied)) return kEvenOutReadFailed;
        while (m_copied < end) {
            const size_t want = static_cast<size_t>(std::min<uint64_t>(end - m_copied, 64 * 1024));
            const size_t at = m_output.size();
            m_output.resize(at + want);
            const long got = m_raw.Read(m_output.data() + at, want);
            if (got <= 0) return kEvenOutReadFailed;
            m_output.resize(at + static_cast<size_t>(got));
            m_copied += static_cast<uint64_t>(got);
            if (m_output.size() >= kOutputChunk && !Flush()) return kEvenOutWriteFailed;
        }
        return 0;
    }

    bool Flush() {
        const uint8_t* data = m_output.data();
        size_t left = m_output.size();
        while (left > 0) {
            DWORD done = 0;
            const DWORD chunk = static_cast<DWORD>(left);
            if (!m_api.writeFile(m_target, data, chunk, &done, nullptr)) return false;
            if (done != chunk) {
                SetLastError(ERROR_DISK_FULL);
                return false;
            }
            data += chunk;
            left -= chunk;
        }
        m_output.clear();
        return true;
    }

    int Failed(int code) {
        if (m_error == 0) m_error = GetLastError();
        return code;
    }

    const EvenOutFileApi& m_api;
    DWORD& m_error;
    ClipFile m_raw;
    HANDLE m_target = INVALID_HANDLE_VALUE;
    std::vector<uint8_t> m_output;
    uint64_t m_copied = 0;
};

}  // namespace

const EvenOutFileApi& SystemEvenOutFileApi() {
    return kSystemApi;
}

int WriteEvenedClip(const wchar_t* source, const wchar_t* target, int steps, MeasureWatch* watch,
                    DWORD& systemError, const EvenOutFileApi& api) {
    systemError = 0;
    SetLastError(ERROR_SUCCESS);
    EvenOutCopy copy(api, systemError);
    const int result = copy.Run(source, target, steps, watch);
    if (result != kEvenOutWritten) copy.Abandon(target);
    return result;
}
