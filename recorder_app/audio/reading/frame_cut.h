// Where a clip can be cut: at the last frame boundary at or before a byte limit, so that what
// is kept holds only whole frames and no decoder drops or clicks on a split one. The join cuts
// the earlier clip at the cursor this way, and a recording that cannot be written is cut back
// to its last whole frame. Fed the clip's bytes from its start. Pure logic.
#pragma once
#include <cstddef>
#include <cstdint>
#include "audio/reading/frame_header.h"

class FrameCut {
public:
    // Without a limit: the end of the last whole frame fed so far.
    static constexpr uint64_t kNoLimit = UINT64_MAX;

    explicit FrameCut(uint64_t limitBytes = kNoLimit) : m_limit(limitBytes) {}

    // The next bytes of the clip, in order from its first byte.
    void Feed(const uint8_t* data, size_t size);
    // Nothing after this point can move the cut.
    bool Done() const { return m_done; }
    // End of the last whole, valid frame (or leading tag) that ends at or before the limit.
    uint64_t Cut() const { return m_cut; }
    // The walk met something that is not a frame of the clip's stream before the limit: a
    // cut there would leave out whatever lies between it and the limit.
    bool StoppedOnDamage() const { return m_damaged; }

private:
    enum class Phase { kHeader, kTagHeader, kSkip };
    void OnHeader();
    void OnTagHeader();
    void SkipTo(uint64_t end);

    uint64_t m_limit;
    uint64_t m_fed = 0;
    uint64_t m_unitStart = 0;   // the frame or tag being read
    uint64_t m_unitEnd = 0;     // kSkip: where it ends
    uint64_t m_cut = 0;
    Phase m_phase = Phase::kHeader;
    uint8_t m_head[10] = {};    // a frame header (4 bytes) or an ID3v2 tag header (10)
    size_t m_headBytes = 0;
    bool m_haveFormat = false;
    FrameHeader m_format;
    bool m_done = false;
    bool m_damaged = false;
};
