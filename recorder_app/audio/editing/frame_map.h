// The map a cut is planned on: where each frame of a Layer III clip lies and how long it is,
// what stands between frames (tags, or damage: bytes that are no frame), and the tags at the
// front and the end. Made as the cut reads the clip, from the bytes its window holds; it
// holds 6 bytes per frame (1.6 MB for a two-hour clip), never the clip's bytes. Pure logic.
#pragma once
#include "audio/editing/source_window.h"
#include "audio/reading/frame_header.h"

#include <cstdint>
#include <vector>

struct FrameGap {
    uint32_t beforeFrame = 0;  // index of the frame after it; the frame count for the last
    uint32_t start = 0;
    uint32_t end = 0;
    bool damaged = false;  // junk or a cut-off frame, not a tag
};

struct FrameMap {
    FrameHeader format;  // the first frame's header: version, layer and rate of the stream
    uint32_t formatWindow = 0;
    bool infoFrame = false;         // frame 0 is a Xing, Info or VBRI frame
    std::vector<uint32_t> offsets;  // each frame's first byte
    std::vector<uint16_t> sizes;    // each frame's length, header included
    std::vector<FrameGap> gaps;     // in the order of the clip
    uint32_t tailStart = 0;         // the tags at the end (ID3v1, APE) begin here
    uint32_t fileSize = 0;

    uint32_t Frames() const { return static_cast<uint32_t>(offsets.size()); }
    uint32_t FirstAudioFrame() const { return infoFrame ? 1u : 0u; }
};

// MapFrames results.
constexpr int kMapDone = 0;
constexpr int kMapReadFailed = -1;
constexpr int kMapNoFrames = -2;   // no MPEG audio frame found
constexpr int kMapNotLayer3 = -3;  // frames of Layer I or II
constexpr int kMapTooLarge = -4;   // 4 GiB or more

// Maps a clip piece by piece: each Map() takes in the frames whose bytes (and the header
// after them) the window holds.
class FrameScan {
public:
    FrameScan(SourceWindow& source, FrameMap& map) : m_source(source), m_map(map) {}

    // Finds the tags at the end; kMapDone, kMapReadFailed or kMapTooLarge.
    int Begin();
    // Maps on through the bytes the window holds; kMapDone, kMapReadFailed or kMapNotLayer3
    // (known from the first frame).
    int Map();
    // Where the next byte to map lies: the window must keep it.
    uint32_t Position() const { return m_pos; }
    bool Done() const { return m_done; }
    // After the last Map(): kMapDone, kMapReadFailed or kMapNoFrames.
    int Finish();

private:
    uint32_t TailStart();
    uint32_t TagAt(uint32_t pos);
    bool HeaderFits(uint32_t window, FrameHeader& header) const;
    uint32_t FrameAt(uint32_t pos, bool confirm);
    void Latch(uint32_t pos);
    void AddGap(uint32_t start, uint32_t end, bool damaged);
    bool LookForInfoFrame();

    SourceWindow& m_source;
    FrameMap& m_map;
    uint32_t m_pos = 0;
    bool m_confirm = true;  // a frame after anything but a frame must be followed by one
    uint32_t m_damageStart = 0;
    bool m_inDamage = false;
    bool m_done = false;
};
