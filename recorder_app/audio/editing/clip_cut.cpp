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
constexpr size_t kOutputChunk = 256 * 1024;
// Samples by which an MPEG audio decoder's output lags its input, which the encoder's delay
// and padding leave out.
constexpr int kDecoderDelay = 529;

class CutPass {
public:
    CutPass(SourceWindow& source, const FrameMap& map, const std::vector<PlannedCut>& cuts, ClipWriter& out)
        : m_source(source), m_map(map), m_cuts(cuts), m_out(out) {
        m_output.reserve(kOutputChunk + kHeaderBytes + kMaxFrameBody);
    }

    int Run(CutSummary& summary) {
        const uint32_t frames = m_map.Frames();
        const uint32_t firstAudio = m_map.FirstAudioFrame();
        uint32_t removed = 0;
        for (const PlannedCut& cut : m_cuts) {
            removed += cut.carriers - cut.first;
            summary.carriers += cut.end - cut.carriers;
        }
        const uint32_t audioFrames = frames - firstAudio - removed;
        uint32_t tocFrames[kTocEntries];
        for (int i = 0; i < kTocEntries; ++i) tocFrames[i] = static_cast<uint32_t>(uint64_t(i) * audioFrames / kTocEntries);

        if (int result = Copy(0, m_map.offsets[0], false)) return result;
        if (m_map.infoFrame) {
            const uint8_t* info = m_source.At(m_map.offsets[0], m_map.sizes[0]);
            if (!info) return kCutReadFailed;
            m_info.assign(info, info + m_map.sizes[0]);
            m_infoAt = m_written;
            if (!Emit(info, m_info.size(), false)) return kCutWriteFailed;
        }
        InfoUpdate update;
        uint32_t written = 0;  // audio frames
        int toc = 0;
        uint64_t musicEnd = m_written;
        uint16_t musicCrc = 0;
        size_t gap = 0;
        size_t cut = 0;
        for (uint32_t i = firstAudio; i <= frames; ++i) {
            for (; gap < m_map.gaps.size() && m_map.gaps[gap].beforeFrame <= i; ++gap) {
                const FrameGap& g = m_map.gaps[gap];
                if (g.beforeFrame < i || Dropped(i)) continue;
                if (int result = Copy(g.start, g.end, i < frames)) return result;
            }
            if (i == frames) break;
            while (cut < m_cuts.size() && m_cuts[cut].end <= i) ++cut;
            const bool inCut = cut < m_cuts.size() && m_cuts[cut].first <= i;
            if (inCut && i < m_cuts[cut].carriers) continue;
            for (; toc < kTocEntries && tocFrames[toc] == written; ++toc)
                update.tocPositions[toc] = static_cast<uint32_t>(m_written - m_infoAt);
            if (int result = Frame(i, inCut ? &m_cuts[cut] : nullptr)) return result;
            ++written;
            musicEnd = m_written;
            musicCrc = m_crc;
        }
        if (int result = Copy(m_map.tailStart, m_map.fileSize, false)) return result;
        if (!Flush()) return kCutWriteFailed;

        summary.framesBefore = frames;
        summary.framesAfter = written + firstAudio;
        summary.bytesWritten = m_written;
        if (!m_map.infoFrame) return kCutWritten;
        update.frames = written;
        update.bytes = static_cast<uint32_t>(musicEnd - m_infoAt);
        update.musicCrc = musicCrc;
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

private:
    // Whether what lies just before frame `i` belongs to a removed stretch.
    bool Dropped(uint32_t i) const {
        for (const PlannedCut& c : m_cuts)
            if (c.first <= i && i <= c.end) return true;
        return false;
    }

    // Frame `i` as it is, or as a carrier of the seam of `cut`.
    int Frame(uint32_t i, const PlannedCut* cut) {
        const size_t size = m_map.sizes[i];
        int reachBack = cut ? cut->needed : 0;
        for (uint32_t f = i; cut && f < cut->end; ++f) {
            const int own = MainDataBytes(m_map, m_source, f, nullptr);
            if (own < 0) return kCutReadFailed;
            reachBack -= own;
        }
        const uint8_t* bytes = m_source.At(m_map.offsets[i], size);
        if (!bytes) return kCutReadFailed;
        if (!cut) return Emit(bytes, size, true) ? kCutWritten : kCutWriteFailed;
        uint8_t frame[kHeaderBytes + kMaxFrameBody];
        std::copy(bytes, bytes + size, frame);
        FrameHeader header;
        if (!ParseHeader(HeaderOf(frame), true, header) || !MakeCarrier(frame, size, header, reachBack)) return kCutReadFailed;
        return Emit(frame, size, true) ? kCutWritten : kCutWriteFailed;
    }

    int Copy(uint64_t start, uint64_t end, bool music) {
        while (start < end) {
            const size_t chunk = static_cast<size_t>(std::min<uint64_t>(end - start, SourceWindow::kBufferBytes));
            const uint8_t* bytes = m_source.At(start, chunk);
            if (!bytes) return kCutReadFailed;
            if (!Emit(bytes, chunk, music)) return kCutWriteFailed;
            start += chunk;
        }
        return kCutWritten;
    }

    bool Emit(const uint8_t* data, size_t size, bool music) {
        // Only an Info frame keeps the music CRC: for a clip without one it is not worked out.
        if (music && m_map.infoFrame) m_crc = ExtensionCrc(m_crc, data, size);
        m_output.insert(m_output.end(), data, data + size);
        m_written += size;
        return m_output.size() < kOutputChunk || Flush();
    }

    bool Flush() {
        if (!m_output.empty() && !m_out.Write(m_output.data(), m_output.size())) return false;
        m_output.clear();
        return true;
    }

    SourceWindow& m_source;
    const FrameMap& m_map;
    const std::vector<PlannedCut>& m_cuts;
    ClipWriter& m_out;
    std::vector<uint8_t> m_output;
    std::vector<uint8_t> m_info;
    uint64_t m_infoAt = 0;
    uint64_t m_written = 0;
    uint16_t m_crc = 0;
};

int MapResult(int result) {
    switch (result) {
    case kMapReadFailed: return kCutReadFailed;
    case kMapNoFrames: return kCutNoFrames;
    case kMapNotLayer3: return kCutNotLayer3;
    case kMapTooLarge: return kCutTooLarge;
    default: return kCutReadFailed;
    }
}

int PlanResult(int result) {
    switch (result) {
    case kPlanNothingToRemove: return kCutNothingToRemove;
    case kPlanDamaged: return kCutDamaged;
    default: return kCutReadFailed;
    }
}

}  // namespace

uint32_t FrameBoundaryAt(double ms, double msPerFrame) {
    if (!(ms > 0) || !(msPerFrame > 0)) return 0;
    const double frame = std::floor(ms / msPerFrame + 0.5);
    return frame >= double(UINT32_MAX) ? UINT32_MAX : static_cast<uint32_t>(frame);
}

int CutClip(ByteSource& source, const std::vector<FrameStretch>& stretches, ClipWriter& out, CutSummary* summary) {
    SourceWindow window(source);
    FrameMap map;
    const int mapped = MapFrames(window, map);
    if (mapped != kMapDone) return MapResult(mapped);
    std::vector<PlannedCut> cuts;
    const int planned = PlanCuts(map, stretches, window, cuts);
    if (planned != kPlanDone) return PlanResult(planned);
    CutSummary done;
    const int result = CutPass(window, map, cuts, out).Run(done);
    done.cuts = cuts;
    if (summary && result == kCutWritten) *summary = std::move(done);
    return result;
}
