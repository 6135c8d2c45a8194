// Feeds arbitrary bytes through the frame reader and the decoder as the playback worker
// does: reading must always move forward and end, every frame must fit its buffer, and the
// decoder must survive whatever the reader accepts.
#include "audio/playback/playback_loop.h"
#include "audio/reading/frame_reader.h"
#include "audio/reading/memory_source.h"
#include "audio/reading/mp3_decoder.h"
#include "audio/reading/pcm_accumulator.h"

#include <cstdlib>

namespace {

class CountingWriter : public BlockWriter {
public:
    bool WriteBlock(const uint8_t* pcm, uint32_t length) override {
        if (length == 0 || !pcm) std::abort();
        bytes += length;
        return true;
    }
    uint64_t bytes = 0;
};

// Every pass of the loop reads at least one byte, so there are never more passes than bytes.
class PassCounter : public PlaybackLoop::Listener {
public:
    PassCounter(const FrameReader& reader, size_t limit) : m_reader(reader), m_limit(limit) {}
    void BeforeFrame() override {
        if (++m_passes > m_limit) std::abort();
        if (m_reader.FrameSize() > FrameReader::kHeaderBytes + kMaxFrameBody) std::abort();
    }

private:
    const FrameReader& m_reader;
    size_t m_limit;
    size_t m_passes = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first byte picks the range to play and the synthesis ratio.
    const uint32_t startFrame = size ? data[0] % 8 : 0;
    const uint32_t endFrame = size && (data[0] & 0x40) ? startFrame + 3 : 0xFFFFFFFFu;
    const bool halfRate = size && (data[0] & 0x80);

    FrameReader reader;
    if (!reader.Open(std::unique_ptr<ByteSource>(new MemorySource(data, size)))) std::abort();
    Mp3Decoder decoder;
    PcmAccumulator pcm;
    CountingWriter writer;
    if (!decoder.Setup(32768, halfRate) || !pcm.Allocate(16384, Mp3Decoder::StepBytes(halfRate)))
        std::abort();

    uint32_t frameCounter = 0;
    const std::atomic<bool> stopRequested{false};
    PassCounter passes(reader, size + 2);
    PlaybackLoop loop(reader, decoder, pcm);
    if (loop.Run(FrameRange{frameCounter, startFrame, endFrame}, stopRequested, writer, &passes))
        std::abort();  // stopped without being asked to
    pcm.Flush(writer);
    (void)reader.Duration();
    return 0;
}
