#include "clip_join.h"
#include <memory>
#include <vector>
#include "app/command_rules/recording_clock.h"
#include "audio/reading/frame_cut.h"
#include "audio/reading/info_frame.h"
#include "controls/time_text.h"
#include "runtime/system_error.h"

namespace {

constexpr DWORD kChunkBytes = 1 << 20;

const JoinFileApi kSystemApi{&::WriteFile};

// Owns one file handle.
class File {
public:
    File() = default;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File() { Close(); }
    bool OpenForReading(const std::wstring& path) {
        m_handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        return m_handle != INVALID_HANDLE_VALUE;
    }
    bool Create(const std::wstring& path) {
        // Never over an existing file: it may be a clip of the user's.
        m_handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        return m_handle != INVALID_HANDLE_VALUE;
    }
    HANDLE Get() const { return m_handle; }
    bool Size(uint64_t& size) const {
        LARGE_INTEGER value;
        if (!GetFileSizeEx(m_handle, &value)) return false;
        size = static_cast<uint64_t>(value.QuadPart);
        return true;
    }
    void Close() {
        if (m_handle != INVALID_HANDLE_VALUE) CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};

class Joiner {
public:
    Joiner(const JoinRequest& request, const JoinFileApi& api, std::wstring& error)
        : m_request(request), m_api(api), m_error(error), m_buffer(kChunkBytes) {}

    bool Run() {
        File earlier, part;
        if (!earlier.OpenForReading(m_request.earlier)) return Fail(L"cannot open " + m_request.earlier);
        if (!part.OpenForReading(m_request.part)) return Fail(L"cannot open " + m_request.part);
        uint64_t partSize = 0;
        if (!part.Size(partSize)) return Fail(L"cannot measure " + m_request.part);
        if (!m_joined.Create(m_request.joined)) return Fail(L"cannot create " + m_request.joined);
        m_created = true;

        uint64_t cut = 0;
        if (!CopyEarlier(earlier, cut) || !CopyPart(part, partSize)) return Abandon();
        uint64_t written = 0;
        if (!m_joined.Size(written) || written != cut + partSize) {
            return Fail(L"the joined file came out at " + std::to_wstring(written) + L" bytes instead of " +
                            std::to_wstring(cut + partSize)) ||
                   Abandon();
        }
        if (!FlushFileBuffers(m_joined.Get())) return Fail(L"cannot flush " + m_request.joined) || Abandon();
        m_joined.Close();
        earlier.Close();
        part.Close();
        return true;
    }

private:
    // Copies the earlier clip up to its last frame boundary at or before the cursor. The
    // cut is known only once the frames up to it have been walked, so each chunk is written
    // up to the boundary found so far and the rest of it waits for the next round.
    bool CopyEarlier(File& earlier, uint64_t& cut) {
        FrameCut walk(m_request.cutAtMostBytes);
        uint64_t read = 0, copied = 0;
        std::vector<uint8_t> pending;
        while (!walk.Done()) {
            DWORD got = 0;
            if (!ReadFile(earlier.Get(), m_buffer.data(), kChunkBytes, &got, nullptr))
                return Fail(L"cannot read " + m_request.earlier);
            if (got == 0) break;
            walk.Feed(m_buffer.data(), got);
            pending.insert(pending.end(), m_buffer.begin(), m_buffer.begin() + got);
            read += got;
            const uint64_t ready = walk.Cut() - copied;
            if (!Write(pending.data(), ready)) return false;
            pending.erase(pending.begin(), pending.begin() + static_cast<ptrdiff_t>(ready));
            copied += ready;
        }
        cut = walk.Cut();
        // Cutting at the damage would silently leave out everything between it and the cursor.
        if (walk.StoppedOnDamage()) {
            m_earlierDamaged = true;
            SetLastError(ERROR_SUCCESS);
            return Fail(L"the earlier clip is damaged at " + controls::RulerLabel(static_cast<uint32_t>(cut / recording::kBytesPerMs)) +
                        L", before the point the new recording continues from");
        }
        return true;
    }

    // Copies the part, less an encoder's Info frame in front of it: in the middle of a clip
    // that frame would be played as a frame of silence and counted as one, which would
    // put every position after the join a frame late. `size` is the part's measured size
    // on entry and the bytes it gave the joined file on return.
    bool CopyPart(File& part, uint64_t& size) {
        const std::wstring& path = m_request.part;
        uint64_t read = 0, skipped = 0;
        for (;;) {
            DWORD got = 0;
            if (!ReadFile(part.Get(), m_buffer.data(), kChunkBytes, &got, nullptr)) return Fail(L"cannot read " + path);
            if (got == 0) break;
            const size_t skip = read == 0 ? LeadingInfoFrameBytes(m_buffer.data(), got) : 0;
            if (!Write(m_buffer.data() + skip, got - skip)) return false;
            read += got;
            skipped += skip;
        }
        // A part that changed size while it was copied is not what was measured.
        if (read != size) return Fail(L"read " + std::to_wstring(read) + L" of " + std::to_wstring(size) + L" bytes of " + path);
        size -= skipped;
        return true;
    }

    bool Write(const uint8_t* data, uint64_t size) {
        while (size > 0) {
            const DWORD chunk = static_cast<DWORD>(size < kChunkBytes ? size : kChunkBytes);
            DWORD done = 0;
            if (!m_api.writeFile(m_joined.Get(), data, chunk, &done, nullptr)) return Fail(L"cannot write " + m_request.joined);
            if (done != chunk) {
                SetLastError(ERROR_DISK_FULL);
                return Fail(L"cannot write " + m_request.joined);
            }
            data += chunk;
            size -= chunk;
        }
        return true;
    }

    // Keeps the first failure's text, with the system's reason when there is one.
    bool Fail(const std::wstring& what) {
        const DWORD code = GetLastError();
        if (!m_error.empty()) return false;
        m_error = what;
        if (code != ERROR_SUCCESS) m_error += L": " + SystemErrorText(code);
        return false;
    }

    bool Abandon() {
        m_joined.Close();
        if (m_created) DeleteFileW(m_request.joined.c_str());
        return false;
    }

    const JoinRequest& m_request;
    const JoinFileApi& m_api;
    std::wstring& m_error;
    std::vector<uint8_t> m_buffer;
    File m_joined;
    bool m_created = false;

public:
    bool m_earlierDamaged = false;
};

}  // namespace

const JoinFileApi& SystemJoinFileApi() {
    return kSystemApi;
}

bool JoinClips(const JoinRequest& request, std::wstring& error, const JoinFileApi& api, bool* earlierDamaged) {
    error.clear();
    SetLastError(ERROR_SUCCESS);
    Joiner joiner(request, api, error);
    const bool joined = joiner.Run();
    if (earlierDamaged != nullptr) *earlierDamaged = joiner.m_earlierDamaged;
    return joined;
}
