#include "audio/levels/level_scan.h"

#include <algorithm>
#include <functional>

#include "audio/reading/frame_reader.h"
#include "audio/reading/info_frame.h"
#include "audio/reading/mp3_decoder.h"
#include "audio/reading/pcm_accumulator.h"
#include "runtime/crash_guard.h"

namespace {

constexpr long kFullScale = 32768;
constexpr int kStereoBytes = 4;  // the decoder writes both channels, 16 bits each
// Frames fed before the first one measured: a Layer III frame's bit reservoir reaches back
// up to 511 bytes, more than one frame of a low bit rate.
constexpr uint32_t kPrimingFrames = 2;
// The samples a decoder puts in front of the sound it decodes.
constexpr uint32_t kDecoderDelay = 529;
// A wanted block this close ahead of the decoding is reached soon enough by going on.
constexpr uint32_t kGoOnForBlocks = 60 * levels::kBlocksPerSecond;

class CallbackWriter : public BlockWriter {
public:
    explicit CallbackWriter(std::function<void(const uint8_t*, uint32_t)> take) : m_take(std::move(take)) {}
    bool WriteBlock(const uint8_t* pcm, uint32_t length) override {
        m_take(pcm, length);
        return true;
    }

private:
    std::function<void(const uint8_t*, uint32_t)> m_take;
};

}  // namespace

bool LevelScan::Start(const std::wstring& clip, const levels::Codes& known, uint32_t firstMs, HWND notify,
                      UINT message, WPARAM tag) {
    Cancel();
    m_clip = clip;
    m_notify = notify;
    m_message = message;
    m_tag = tag;
    m_cancel = false;
    m_done = false;
    m_wantedBlock = levels::BlockOfMs(firstMs);
    m_wantChanged = false;
    m_lastNotify = GetTickCount();
    m_frameIndex = -1;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_codes = known;
        m_changedFirst = UINT32_MAX;
        m_changedEnd = 0;
    }
    m_thread = CreateThread(nullptr, 0, GuardedThread<&LevelScan::Body>, this, 0, nullptr);
    return m_thread != nullptr;
}

void LevelScan::Prioritise(uint32_t fromMs) {
    const uint32_t block = levels::BlockOfMs(fromMs);
    if (m_wantedBlock.exchange(block) != block) m_wantChanged = true;
}

void LevelScan::Cancel() {
    if (m_thread == nullptr) return;
    m_cancel = true;
    WaitForSingleObject(m_thread, INFINITE);
    CloseHandle(m_thread);
    m_thread = nullptr;
    std::lock_guard<std::mutex> hold(m_lock);
    m_codes.clear();
    m_changedFirst = UINT32_MAX;
    m_changedEnd = 0;
}

bool LevelScan::TakeResults(levels::Codes& codes, uint32_t& first, uint32_t& end) {
    if (m_thread == nullptr) return false;
    std::lock_guard<std::mutex> hold(m_lock);
    const bool resized = codes.size() != m_codes.size();
    if (!resized && m_changedFirst >= m_changedEnd) return false;
    if (resized) {
        codes = m_codes;
        first = 0;
        end = static_cast<uint32_t>(codes.size());
    } else {
        first = m_changedFirst;
        end = m_changedEnd;
        std::copy(m_codes.begin() + first, m_codes.begin() + end, codes.begin() + first);
    }
    m_changedFirst = UINT32_MAX;
    m_changedEnd = 0;
    return true;
}

DWORD LevelScan::Body(void* self) {
    static_cast<LevelScan*>(self)->Run();
    return 0;
}

void LevelScan::Run() {
    {
        FrameReader reader;
        Mp3Decoder decoder;
        if (reader.Open(m_clip.c_str()) && decoder.Setup(kFullScale, false) &&
            reader.ReadFrame() == FrameReader::kFrameRead) {
            m_frameIndex = 0;
            m_rate = static_cast<uint32_t>(SampleRateOf(reader.Header().samplingIndex));
            m_samplesPerFrame = static_cast<uint32_t>(reader.Header().samplesPerFrame);
            // The levels follow the sound itself, as players that honour the encoder's
            // delay have it: an Info frame and the delays in front of the sound are skipped.
            const InfoCounts info = ReadInfoFrame(reader.FrameData(), reader.FrameSize(), reader.Header());
            m_leadSamples = 0;
            if (info.present) m_leadSamples = m_samplesPerFrame + (info.encoderDelay >= 0 ? info.encoderDelay + kDecoderDelay : 0);
            uint32_t block = 0;
            while (m_rate != 0 && m_samplesPerFrame != 0 && !m_cancel && NextUnknown(block))
                MeasureFrom(block, reader, decoder);
        }
    }  // the file is closed before the scan says it is done
    m_done = true;
    Notify(true);
}

bool LevelScan::NextUnknown(uint32_t& block) {
    std::lock_guard<std::mutex> hold(m_lock);
    const uint32_t size = static_cast<uint32_t>(m_codes.size());
    const uint32_t wanted = std::min(m_wantedBlock.load(), size);
    m_wantChanged = false;
    auto unknownIn = [&](uint32_t from, uint32_t to) {
        const auto it = std::find(m_codes.begin() + from, m_codes.begin() + to, levels::kUnknown);
        if (it == m_codes.begin() + to) return false;
        block = static_cast<uint32_t>(it - m_codes.begin());
        return true;
    };
    return unknownIn(wanted, size) || unknownIn(0, wanted);
}

bool LevelScan::GoToFrame(FrameReader& reader, uint32_t frame) {
    if (static_cast<int64_t>(frame) < m_frameIndex) {
        if (!reader.Rewind()) return false;
        m_frameIndex = -1;
    }
    while (m_frameIndex < static_cast<int64_t>(frame)) {
        if (m_cancel || reader.ReadFrame() != FrameReader::kFrameRead) return false;
        ++m_frameIndex;
    }
    return true;
}

void LevelScan::MeasureFrom(uint32_t block, FrameReader& reader, Mp3Decoder& decoder) {
    const uint64_t startSample = levels::BlockStartSample(block, m_rate) + m_leadSamples;
    const uint32_t frame = static_cast<uint32_t>(startSample / m_samplesPerFrame);
    decoder.Reset();
    bool reached = GoToFrame(reader, frame > kPrimingFrames ? frame - kPrimingFrames : 0);
    while (reached && m_frameIndex < static_cast<int64_t>(frame)) {
        decoder.Prime(reader.FrameData(), reader.FrameSize());
        reached = GoToFrame(reader, static_cast<uint32_t>(m_frameIndex + 1));
    }
    if (!reached) {
        if (m_cancel) return;
        std::lock_guard<std::mutex> hold(m_lock);
        SilenceFrom(block);
        return;
    }

    levels::PeakMeter meter;
    meter.Start(m_rate, 2, block);
    uint64_t skip = startSample - static_cast<uint64_t>(frame) * m_samplesPerFrame;
    CallbackWriter writer([&](const uint8_t* pcm, uint32_t length) {
        const int16_t* samples = reinterpret_cast<const int16_t*>(pcm);
        size_t frames = length / kStereoBytes;
        const size_t skipped = static_cast<size_t>(std::min<uint64_t>(skip, frames));
        samples += 2 * skipped;
        frames -= skipped;
        skip -= skipped;
        std::lock_guard<std::mutex> hold(m_lock);
        const uint32_t before = meter.NextBlock();
        meter.Feed(samples, frames, m_codes);
        Changed(before, meter.NextBlock());
    });
    PcmAccumulator pcm;
    if (!pcm.Allocate(m_samplesPerFrame * kStereoBytes, Mp3Decoder::StepBytes(false))) {
        m_cancel = true;  // no memory for one frame: nothing more can be measured
        return;
    }
    for (;;) {
        if (m_cancel) return;
        decoder.DecodeFrame(reader.FrameData(), reader.FrameSize(), pcm, writer);
        Notify(false);
        {
            std::lock_guard<std::mutex> hold(m_lock);
            const uint32_t next = meter.NextBlock();
            if (next < m_codes.size() && m_codes[next] != levels::kUnknown) return;  // joined what is known
            if (m_wantChanged) {
                const uint32_t wanted = m_wantedBlock;
                const bool unknown = wanted < m_codes.size() && m_codes[wanted] == levels::kUnknown;
                if (unknown && (wanted < next || wanted > next + kGoOnForBlocks)) return;
            }
        }
        if (!GoToFrame(reader, static_cast<uint32_t>(m_frameIndex + 1))) {
            if (m_cancel) return;
            pcm.Flush(writer);
            std::lock_guard<std::mutex> hold(m_lock);
            const uint32_t before = meter.NextBlock();
            meter.Finish(m_codes);
            Changed(before, meter.NextBlock());
            SilenceFrom(meter.NextBlock());
            return;
        }
    }
}

// The clip ends before the blocks its estimated length, the encoder's padding or the
// delays skipped at its start leave: nothing sounds there.
void LevelScan::SilenceFrom(uint32_t block) {
    const uint32_t size = static_cast<uint32_t>(m_codes.size());
    for (uint32_t b = block; b < size; ++b) {
        if (m_codes[b] == levels::kUnknown) m_codes[b] = levels::kSilent;
    }
    Changed(block, size);
}

void LevelScan::Changed(uint32_t first, uint32_t end) {
    if (first >= end) return;
    m_changedFirst = std::min(m_changedFirst, first);
    m_changedEnd = std::max(m_changedEnd, end);
}

void LevelScan::Notify(bool force) {
    const DWORD now = GetTickCount();
    if (!force && now - m_lastNotify < kNotifyEveryMs) return;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (!force && m_changedFirst >= m_changedEnd) return;
    }
    m_lastNotify = now;
    if (m_notify != nullptr) PostMessageW(m_notify, m_message, m_tag, 0);
}
