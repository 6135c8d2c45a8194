// Feeds arbitrary bytes through the frame reader and the decoder, as the playback worker
// does: reading must always move forward and end, every frame must fit its buffer, and the
// decoder must survive whatever the reader accepts.
#include "audio/frame_reader.h"
#include "audio/memory_source.h"
#include "audio/mp3_decoder.h"
#include "audio/pcm_accumulator.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first byte picks the frame to start playing from and the synthesis ratio.
    const uint32_t startFrame = size ? data[0] % 8 : 0;
    const bool halfRate = size && (data[0] & 0x80);

    FrameReader reader;
    if (!reader.Open(std::unique_ptr<ByteSource>(new MemorySource(data, size)))) std::abort();
    Mp3Decoder decoder;
    PcmAccumulator pcm;
    CountingWriter writer;
    if (!decoder.Setup(32768, halfRate) || !pcm.Allocate(16384, Mp3Decoder::StepBytes(halfRate)))
        std::abort();

    uint32_t frames = 0;
    // Each call consumes at least one byte, so there can be no more calls than bytes.
    for (size_t calls = 0; calls <= size + 1; ++calls) {
        const int result = reader.ReadFrame();
        if (result == FrameReader::kEndOfFile || result == FrameReader::kReadFailed) {
            pcm.Flush(writer);
            (void)reader.Duration();
            return 0;
        }
        if (result != FrameReader::kFrameRead) continue;
        ++frames;
        if (reader.FrameSize() < FrameReader::kHeaderBytes ||
            reader.FrameSize() > FrameReader::kHeaderBytes + kMaxFrameBody)
            std::abort();
        if (frames < startFrame) continue;
        if (!reader.MatchesStreamFormat(reader.FrameData(), reader.FrameSize())) continue;
        if (!decoder.HasHistory() &&
            reader.MatchesStreamFormat(reader.PreviousFrameData(), reader.PreviousFrameSize()))
            decoder.Prime(reader.PreviousFrameData(), reader.PreviousFrameSize());
        decoder.DecodeFrame(reader.FrameData(), reader.FrameSize(), pcm, writer);
    }
    std::abort();  // the reader did not come to an end
}
