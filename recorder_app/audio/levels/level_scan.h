// Measures the levels of a clip that has none yet (one opened, or the part of a restored
// take), on a thread of its own: every frame is decoded, as only the decoded sound tells
// the true level. The stretch the time line shows goes first, then what follows it, then
// what lies before; a stretch already known is not decoded again. Cancel ends the scan at
// once and closes the file.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "audio/levels/level_series.h"

class FrameReader;
class Mp3Decoder;

class LevelScan {
public:
    LevelScan() = default;
    LevelScan(const LevelScan&) = delete;
    LevelScan& operator=(const LevelScan&) = delete;
    ~LevelScan() { Cancel(); }

    // Measures the blocks of `clip` left unknown in `known`, whose size is the clip's
    // length in blocks, from `firstMs` on first. As results arrive, at most every
    // kNotifyEveryMs, `notify` is posted `message` with `tag` as its wParam; also once at
    // the end. False when the thread cannot start.
    bool Start(const std::wstring& clip, const levels::Codes& known, uint32_t firstMs, HWND notify,
               UINT message, WPARAM tag);
    // The stretch from `fromMs` on is wanted next: the view moved.
    void Prioritise(uint32_t fromMs);
    // Ends the scan; returns once its thread has closed the file and gone.
    void Cancel();
    bool Running() const { return m_thread != nullptr && !m_done.load(); }
    // Started and not cancelled yet: it may still have results to take.
    bool Started() const { return m_thread != nullptr; }

    // Copies the blocks measured since the last call into `codes` (resized to the scan's
    // series, which a clip longer than its estimate makes grow; blocks past the clip's end
    // are silent) and gives the changed blocks
    // [first, end); false when nothing changed.
    bool TakeResults(levels::Codes& codes, uint32_t& first, uint32_t& end);

    static constexpr DWORD kNotifyEveryMs = 100;

private:
    static DWORD Body(void* self);
    void Run();
    // The next block to measure: the first unknown one from the wanted block on, else
    // from the start; false when every block is known.
    bool NextUnknown(uint32_t& block);
    // Decodes from `block` on, while blocks are unknown and nothing else is wanted first.
    void MeasureFrom(uint32_t block, FrameReader& reader, Mp3Decoder& decoder);
    bool GoToFrame(FrameReader& reader, uint32_t frame);
    void Notify(bool force);
    void Changed(uint32_t first, uint32_t end);  // holds m_lock
    void SilenceFrom(uint32_t block);            // holds m_lock

    std::wstring m_clip;
    HWND m_notify = nullptr;
    UINT m_message = 0;
    WPARAM m_tag = 0;
    HANDLE m_thread = nullptr;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_done{false};
    std::atomic<uint32_t> m_wantedBlock{0};
    std::atomic<bool> m_wantChanged{false};
    DWORD m_lastNotify = 0;

    // The worker's position in the clip.
    uint32_t m_rate = 0;
    uint32_t m_samplesPerFrame = 0;
    uint32_t m_leadSamples = 0;  // decoded before the clip's first sample
    int64_t m_frameIndex = -1;  // the frame the reader holds

    mutable std::mutex m_lock;  // guards what follows
    levels::Codes m_codes;
    uint32_t m_changedFirst = UINT32_MAX, m_changedEnd = 0;
};
