#include "audio/editing/clip_cut.h"

#include "audio/editing/frame_map.h"
#include "audio/editing/seam_frames.h"
#include "audio/editing/source_window.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {

constexpr size_t kHeaderBytes = 4;
// Samples by which an MPEG audio decoder's output lags its input, which the encoder's delay
// and padding leave out.
constexpr int kDecoderDelay = 529;

int MapResult(int result) {
    switch (result) {
    case kMapReadFailed: return kCutReadFailed;
    case kMapNoFrames: return kCutNoFrames;
    case kMapNotLayer3: return kCutNotLayer3;
    case kMapTooLarge: return kCutTooLarge;
    default: return kCutReadFailed;
    }
}

// One pass through the clip: each round reads on in the window, maps the frames it now
// holds, plans the seams whose frames are all mapped, and writes what comes before the first
// seam not yet planned. Unchanged frames go to the writer in runs straight from the window.
class CutPass {
public:
    CutPass(SourceWindow& source, const std::vector<FrameStretch>& stretches, ClipWriter& out)
        : m_source(source), m_scan(source, m_map), m_stretches(stretches), m_out(out) {}

    int Run(CutSummary& summary) {
        if (int result = m_scan.Begin()) return MapResult(result);
        for (;;) {
            if (!m_source.Advance(Keep())) return kCutReadFailed;
            if (int result = m_scan.Map()) return MapResult(result);
            if (m_scan.Done()) {
                if (int result = m_scan.Finish()) return MapResult(result);
            }
            if (!m_started && m_map.Frames() > 0) {
                if (int result = Start()) return result;
            }
            if (m_started) {
                if (m_scan.Done()) {
                    ClampCuts(m_cuts, m_map.Frames());
                    if (m_cuts.empty()) return kCutNothingToRemove;
                }
                if (!m_damaged) {
                    if (int result = Plan()) return result;
                    CheckDamage();
                }
                if (!m_damaged) {
                    if (int result = Write()) return result;
                    if (!FlushRun()) return kCutWriteFailed;
                }
            }
            if (m_scan.Done()) break;
        }
        if (m_damaged) return kCutDamaged;
        return Finish(summary);
    }

    const std::vector<PlannedCut>& Cuts() const { return m_cuts; }

private:
    // Where the bytes still to be written begin, unless they lie so far back that keeping
    // them would leave the window too little room to read on: those are read again.
    uint64_t Keep() const {
        const uint64_t scan = m_scan.Position();
        if (m_hold >= scan) return scan;
        return scan - m_hold <= SourceWindow::kBufferBytes / 2 ? m_hold : scan;
    }

    // The front matter and the Info frame, once the first frame is known.
    int Start() {
        m_started = true;
        m_cuts = MergeStretches(m_stretches, m_map.FirstAudioFrame());
        if (m_cuts.empty()) return kCutNothingToRemove;
        m_infoAt = m_map.offsets[0];
        uint64_t end = m_map.offsets[0];
        if (m_map.infoFrame) {
            const uint8_t* info = m_source.At(m_map.offsets[0], m_map.sizes[0]);
            if (!info) return kCutReadFailed;
            m_info.assign(info, info + m_map.sizes[0]);
            end += m_map.sizes[0];
        }
        AddToRun(0, end, false);
        m_hold = end;
        m_lastFrameEnd = m_written;
        m_next = m_map.FirstAudioFrame();
        return kCutWritten;
    }

    // Plans the seams whose frames are all mapped, a cut together with the ones after it that
    // its seam reaches.
    int Plan() {
        const bool complete = m_scan.Done();
        const uint32_t frames = complete ? m_map.Frames() : UINT32_MAX;
        while (m_planned < m_cuts.size()) {
            size_t last = m_planned;
            for (;; ++last) {
                if (complete && last + 1 == m_cuts.size()) break;
                const uint32_t limit = last + 1 < m_cuts.size() ? m_cuts[last + 1].first : frames;
                const SeamExtent extent = SeamExtentOf(m_map, m_source, m_cuts[last].end, limit, complete);
                if (extent == SeamExtent::kReadFailed) return kCutReadFailed;
                if (extent == SeamExtent::kNotMappedYet) return kCutWritten;
                if (extent == SeamExtent::kAlone) break;
            }
            if (PlanSeams(m_map, m_source, frames, m_cuts, m_planned, last + 1) != kPlanDone) return kCutReadFailed;
            m_planned = last + 1;
        }
        return kCutWritten;
    }

    // Damage that lies before the first seam not yet planned is known to be allowed or not.
    void CheckDamage() {
        const uint32_t known = m_planned < m_cuts.size() ? m_cuts[m_planned].first : UINT32_MAX;
        for (; m_checked < m_map.gaps.size() && m_map.gaps[m_checked].beforeFrame < known; ++m_checked) {
            const FrameGap& gap = m_map.gaps[m_checked];
            if (gap.damaged && !DamageAllowed(gap, m_cuts)) m_damaged = true;
        }
        if (m_scan.Done() && m_planned == m_cuts.size()) {
            for (; m_checked < m_map.gaps.size(); ++m_checked)
                if (m_map.gaps[m_checked].damaged && !DamageAllowed(m_map.gaps[m_checked], m_cuts)) m_damaged = true;
        }
    }

    // Writes the frames, and what lies between them, up to the first seam not yet planned.
    int Write() {
        const uint32_t frames = m_map.Frames();
        const uint32_t until = m_planned < m_cuts.size() ? m_cuts[m_planned].first : UINT32_MAX;
        for (; m_next < until && !m_finished; ++m_next) {
            const uint32_t i = m_next;
            if (i == frames && !m_scan.Done()) break;
            for (; m_gap < m_map.gaps.size() && m_map.gaps[m_gap].beforeFrame <= i; ++m_gap) {
                const FrameGap& g = m_map.gaps[m_gap];
                m_hold = g.end;
                if (g.beforeFrame < i || Dropped(i)) continue;
                AddToRun(g.start, g.end, i < frames);
            }
            if (i == frames) {
                m_finished = true;
                break;
            }
            while (m_cut < m_cuts.size() && m_cuts[m_cut].end <= i) ++m_cut;
            const bool inCut = m_cut < m_cuts.size() && m_cuts[m_cut].first <= i;
            m_hold = m_map.offsets[i] + m_map.sizes[i];
            if (inCut && i < m_cuts[m_cut].carriers) continue;
            NoteFrame(i);
            if (inCut) {
                if (int result = Carrier(i, m_cuts[m_cut])) return result;
            } else {
                AddToRun(m_map.offsets[i], m_map.offsets[i] + m_map.sizes[i], true);
            }
            ++m_audioFrames;
            m_lastFrameEnd = m_written;
        }
        return kCutWritten;
    }

    // Whether what lies just before frame `i` belongs to a removed stretch.
    bool Dropped(uint32_t i) const {
        for (const PlannedCut& c : m_cuts)
            if (c.first <= i && i <= c.end) return true;
        return false;
    }

    // Where frame `i` goes in the new clip, for the Info frame's seek table: the frames of a
    // run keep their distances, so only where the distance changes is kept.
    void NoteFrame(uint32_t i) {
        const int64_t shift = static_cast<int64_t>(m_written) - static_cast<int64_t>(m_map.offsets[i]);
        if (m_shifts.empty() || m_shifts.back().shift != shift) m_shifts.push_back({m_audioFrames, i, shift});
    }

    // Frame `i` as a silent carrier of the seam of `cut`.
    int Carrier(uint32_t i, const PlannedCut& cut) {
        if (!FlushRun()) return kCutWriteFailed;
        const size_t size = m_map.sizes[i];
        int reachBack = cut.needed;
        for (uint32_t f = i; f < cut.end; ++f) {
            const int own = MainDataBytes(m_map, m_source, f, nullptr);
            if (own < 0) return kCutReadFailed;
            reachBack -= own;
        }
        const uint8_t* bytes = m_source.At(m_map.offsets[i], size);
        if (!bytes) return kCutReadFailed;
        uint8_t frame[kHeaderBytes + kMaxFrameBody];
        std::copy(bytes, bytes + size, frame);
        FrameHeader header;
        if (!ParseHeader(HeaderOf(frame), true, header) || !MakeCarrier(frame, size, header, reachBack)) return kCutReadFailed;
        if (m_map.infoFrame) m_crc = ExtensionCrc(m_crc, frame, size);
        m_written += size;
        return m_out.Write(frame, size) ? kCutWritten : kCutWriteFailed;
    }

    // Adds the clip's bytes [start, end) to what goes out as they are.
    void AddToRun(uint64_t start, uint64_t end, bool music) {
        while (start < end) {
            if (m_runEnd > m_runStart &&
                (start != m_runEnd || music != m_runMusic || m_runEnd - m_runStart == SourceWindow::kBufferBytes))
                m_runFailed = m_runFailed || !FlushRun();
            if (m_runEnd == m_runStart) {
                m_runStart = m_runEnd = start;
                m_runMusic = music;
            }
            const uint64_t take = std::min<uint64_t>(end - start, SourceWindow::kBufferBytes - (m_runEnd - m_runStart));
            m_runEnd += take;
            start += take;
            m_written += take;
        }
    }

    bool FlushRun() {
        const size_t size = static_cast<size_t>(m_runEnd - m_runStart);
        if (m_runFailed) return false;
        if (size == 0) return true;
        const uint8_t* bytes = m_source.At(m_runStart, size);
        m_runStart = m_runEnd;
        if (!bytes) return m_runFailed = true, false;
        // Only an Info frame keeps the music CRC: for a clip without one it is not worked out.
        if (m_runMusic && m_map.infoFrame) m_crc = ExtensionCrc(m_crc, bytes, size);
        return m_out.Write(bytes, size);
    }

    int Finish(CutSummary& summary) {
        AddToRun(m_map.tailStart, m_map.fileSize, false);
        if (!FlushRun()) return m_source.Failed() ? kCutReadFailed : kCutWriteFailed;
        const uint32_t frames = m_map.Frames();
        const uint32_t firstAudio = m_map.FirstAudioFrame();
        for (const PlannedCut& cut : m_cuts) summary.carriers += cut.end - cut.carriers;
        summary.framesBefore = frames;
        summary.framesAfter = m_audioFrames + firstAudio;
        summary.bytesWritten = m_written;
        if (!m_map.infoFrame) return kCutWritten;
        InfoUpdate update;
        update.frames = m_audioFrames;
        update.bytes = static_cast<uint32_t>(m_lastFrameEnd - m_infoAt);
        update.musicCrc = m_crc;
        size_t at = 0;
        for (int k = 0; k < kTocEntries; ++k) {
            const uint32_t n = static_cast<uint32_t>(uint64_t(k) * m_audioFrames / kTocEntries);
            if (n >= m_audioFrames) break;
            while (at + 1 < m_shifts.size() && m_shifts[at + 1].frame <= n) ++at;
            const Shift& s = m_shifts[at];
            const int64_t position = static_cast<int64_t>(m_map.offsets[s.source + (n - s.frame)]) + s.shift;
            update.tocPositions[k] = static_cast<uint32_t>(position - static_cast<int64_t>(m_infoAt));
        }
        // A cut from the first frame of sound leaves the carriers' silence in front, which the
        // delay tells players to leave out; a cut to the end leaves no padding but the
        // decoder's own delay.
        if (m_cuts.front().first == firstAudio)
            update.delay = std::max(0, static_cast<int>(m_cuts.front().end - m_cuts.front().carriers) *
                                               m_map.format.samplesPerFrame - kDecoderDelay);
        if (m_cuts.back().end == frames) update.padding = kDecoderDelay;
        RewriteInfoFrame(m_info.data(), m_info.size(), m_map.format, update);
        return m_out.WriteAt(m_infoAt, m_info.data(), m_info.size()) ? kCutWritten : kCutWriteFailed;
    }

    struct Shift {
        uint32_t frame;   // the first audio frame written at this distance, counted from 0
        uint32_t source;  // its index in the clip
        int64_t shift;    // its position in the new clip less that in the clip
    };

    SourceWindow& m_source;
    FrameMap m_map;
    FrameScan m_scan;
    const std::vector<FrameStretch>& m_stretches;
    ClipWriter& m_out;
    std::vector<PlannedCut> m_cuts;
    bool m_started = false;
    bool m_damaged = false;
    bool m_finished = false;
    size_t m_planned = 0;  // cuts whose seams are planned
    size_t m_checked = 0;  // gaps checked for damage
    uint32_t m_next = 0;   // the next frame to write or leave out
    size_t m_gap = 0;
    size_t m_cut = 0;
    uint64_t m_hold = 0;  // where what is still to be written begins in the clip
    uint64_t m_runStart = 0;
    uint64_t m_runEnd = 0;
    bool m_runMusic = false;
    bool m_runFailed = false;
    std::vector<uint8_t> m_info;
    uint64_t m_infoAt = 0;
    uint64_t m_written = 0;
    uint64_t m_lastFrameEnd = 0;
    uint32_t m_audioFrames = 0;
    uint16_t m_crc = 0;
    std::vector<Shift> m_shifts;
};

}  // namespace

uint32_t FrameBoundaryAt(double ms, double msPerFrame) {
    if (!(ms > 0) || !(msPerFrame > 0)) return 0;
    const double frame = std::floor(ms / msPerFrame + 0.5);
    return frame >= double(UINT32_MAX) ? UINT32_MAX : static_cast<uint32_t>(frame);
}

int CutClip(ByteSource& source, const std::vector<FrameStretch>& stretches, ClipWriter& out, CutSummary* summary) {
    SourceWindow window(source);
    CutPass pass(window, stretches, out);
    CutSummary done;
    const int result = pass.Run(done);
    done.cuts = pass.Cuts();
    if (summary && result == kCutWritten) *summary = std::move(done);
    return result;
}
