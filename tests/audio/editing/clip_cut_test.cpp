// The cut on clips made by lame (make_cut_corpus.sh): what is left decodes with mpg123 without
// a complaint, sample for sample as the original away from each seam, and its Info frame
// counts the frames it holds.
#include <gtest/gtest.h>
#include <mpg123.h>

#include "audio/editing/clip_cut.h"
#include "audio/reading/frame_reader.h"
#include "audio/reading/info_frame.h"
#include "audio/reading/memory_source.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Load(const std::string& name) {
    const char* folder = std::getenv("QB_CUT_CORPUS");
    std::string path = std::string(folder ? folder : ".") + "/" + name;
#ifdef _WIN32
    if (path[0] == '/') path = "Z:" + path;
#endif
    Bytes bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        uint8_t chunk[65536];
        for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) bytes.insert(bytes.end(), chunk, chunk + n);
        std::fclose(f);
    }
    return bytes;
}

class MemoryWriter : public ClipWriter {
public:
    Bytes bytes;
    size_t failAfter = SIZE_MAX;
    bool Write(const uint8_t* data, size_t size) override {
        if (bytes.size() + size > failAfter) return false;
        bytes.insert(bytes.end(), data, data + size);
        return true;
    }
    bool WriteAt(uint64_t position, const uint8_t* data, size_t size) override {
        if (position + size > bytes.size()) return false;
        std::copy(data, data + size, bytes.begin() + static_cast<ptrdiff_t>(position));
        return true;
    }
};

// mpg123's output frame by frame, gapless trimming off, and whatever it printed meanwhile.
struct Decoded {
    std::map<off_t, std::vector<int16_t>> frames;
    int channels = 0;
    std::string messages;
    bool failed = false;
};

Decoded Decode(const Bytes& clip) {
    Decoded out;
    static const bool ready = mpg123_init() == MPG123_OK;
    mpg123_handle* h = ready ? mpg123_new(nullptr, nullptr) : nullptr;
    if (!h) return out.failed = true, out;
    mpg123_param(h, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0);
    mpg123_format_none(h);
    const long* rates;
    size_t count;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i) mpg123_format(h, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    // Its warnings go to stderr: gathered from a file for the time of the decoding.
    std::fflush(stderr);
    FILE* log = std::tmpfile();
    if (!log) {
        mpg123_delete(h);
        return out.failed = true, out;
    }
    const int saved = dup(fileno(stderr));
    dup2(fileno(log), fileno(stderr));
    mpg123_open_feed(h);
    mpg123_feed(h, clip.data(), clip.size());
    for (;;) {
        off_t number;
        unsigned char* audio;
        size_t bytes;
        const int r = mpg123_decode_frame(h, &number, &audio, &bytes);
        if (r == MPG123_NEW_FORMAT) continue;
        if (r == MPG123_NEED_MORE || r == MPG123_DONE) break;
        if (r != MPG123_OK) {
            out.failed = true;
            break;
        }
        const int16_t* samples = reinterpret_cast<const int16_t*>(audio);
        out.frames[number].assign(samples, samples + bytes / 2);
    }
    long rate;
    int encoding;
    mpg123_getformat(h, &rate, &out.channels, &encoding);
    mpg123_delete(h);
    std::fflush(stderr);
    dup2(saved, fileno(stderr));
    std::rewind(log);
    for (int c; (c = std::fgetc(log)) != EOF;) out.messages += static_cast<char>(c);
    std::fclose(log);
    return out;
}

// Frames read (an Info frame included) and the frame count of the Info frame, or 0 without one.
std::pair<uint32_t, uint32_t> CountFrames(const Bytes& clip) {
    FrameReader reader;
    reader.Open(std::unique_ptr<ByteSource>(new MemorySource(clip.data(), clip.size())));
    uint32_t frames = 0, counted = 0;
    for (int r; (r = reader.ReadFrame()) != FrameReader::kEndOfFile && r != FrameReader::kReadFailed;) {
        if (r != FrameReader::kFrameRead) continue;
        if (frames++ == 0) counted = ReadInfoFrame(reader.FrameData(), reader.FrameSize(), reader.Header()).frames;
    }
    return {frames, counted};
}

enum class Where { kStart, kMiddle, kEnd };
const char* const kClips[] = {"recording.mp3", "low44.mp3", "vbr44.mp3", "cbr48_crc.mp3", "vbr48.mp3",
                              "mono32_crc.mp3", "mpeg2_mono22.mp3", "mpeg2_vbr22_crc.mp3", "long_recording.mp3"};

class ClipCut : public ::testing::TestWithParam<std::tuple<const char*, Where>> {};

TEST_P(ClipCut, KeepsEveryFrameOutsideTheSeamAsItDecoded) {
    const std::string name = std::get<0>(GetParam());
    const Bytes original = Load(name);
    ASSERT_FALSE(original.empty()) << name;
    const uint32_t frames = CountFrames(original).first;
    const uint32_t info = CountFrames(original).second != 0 ? 1 : 0;
    const uint32_t quarter = frames / 4;
    FrameStretch stretch;
    switch (std::get<1>(GetParam())) {
    case Where::kStart: stretch = {0, quarter}; break;
    case Where::kMiddle: stretch = {frames / 3, frames / 3 + quarter}; break;
    case Where::kEnd: stretch = {frames - quarter, frames}; break;
    }
    MemorySource source(original.data(), original.size());
    MemoryWriter out;
    CutSummary summary;
    ASSERT_EQ(CutClip(source, {stretch}, out, &summary), kCutWritten);
    if (name == "recording.mp3") {
        EXPECT_LE(summary.carriers, 2u);
    }
    const uint32_t first = std::max(stretch.first, info);
    const uint32_t removed = stretch.end - first - summary.carriers;
    EXPECT_EQ(summary.framesAfter, frames - removed);
    EXPECT_EQ(summary.bytesWritten, out.bytes.size());

    const auto count = CountFrames(out.bytes);
    EXPECT_EQ(count.first, frames - removed);
    if (info) {
        EXPECT_EQ(count.second, count.first - 1);
    }

    const Decoded before = Decode(original);
    const Decoded after = Decode(out.bytes);
    ASSERT_FALSE(before.failed || after.failed);
    EXPECT_EQ(after.messages, "");
    EXPECT_EQ(after.frames.size(), count.first - info);
    // mpg123 numbers the frames of sound from 0, after the Info frame. The first frame kept
    // after the cut adds its sound to the carriers' silence instead of the removed sound. After
    // it, in a clip of one granule a frame (MPEG-2), the synthesis filter carries that on for
    // 512 samples into the next. mpg123's synthesis also rounds a sample here and there by one
    // step the other way when the clip has lost a number of frames that moves its filter's
    // ring to another phase.
    for (const auto& [number, samples] : before.frames) {
        const int64_t reader = static_cast<int64_t>(number) + info;
        if (reader >= first && reader < stretch.end) continue;
        const off_t moved = static_cast<off_t>(reader < first ? number : number - static_cast<off_t>(removed));
        const auto kept = after.frames.find(moved);
        ASSERT_NE(kept, after.frames.end()) << "frame " << number;
        if (reader == stretch.end) continue;
        const int rounding = reader < first ? 0 : 1;
        const bool oneGranule = samples.size() == static_cast<size_t>(576 * before.channels);
        const size_t from = reader == int64_t(stretch.end) + 1 && oneGranule ? static_cast<size_t>(512 * before.channels) : 0;
        ASSERT_TRUE(std::equal(samples.begin() + from, samples.end(), kept->second.begin() + from, kept->second.end(),
                               [rounding](int16_t a, int16_t b) { return std::abs(a - b) <= rounding; }))
            << "frame " << number << " of " << before.frames.size();
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, ClipCut,
                         ::testing::Combine(::testing::ValuesIn(kClips),
                                            ::testing::Values(Where::kStart, Where::kMiddle, Where::kEnd)));

// The program's recording with `junk` bytes put in before frame `at`, and tags at both ends.
Bytes Damaged(uint32_t at, size_t junk) {
    Bytes clip = Load("recording.mp3");
    FrameReader reader;
    reader.Open(std::unique_ptr<ByteSource>(new MemorySource(clip.data(), clip.size())));
    for (uint32_t i = 0; i <= at; ++i) reader.ReadFrame();
    clip.insert(clip.begin() + static_cast<ptrdiff_t>(reader.FrameOffset()), junk, 0x55);
    const uint8_t id3[] = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 20};
    clip.insert(clip.begin(), id3, id3 + sizeof id3);
    clip.insert(clip.begin() + sizeof id3, 20, 0);
    clip.insert(clip.end(), {'T', 'A', 'G'});
    clip.insert(clip.end(), 125, 'x');
    return clip;
}

int Cut(const Bytes& clip, std::vector<FrameStretch> stretches, MemoryWriter& out) {
    MemorySource source(clip.data(), clip.size());
    return CutClip(source, stretches, out);
}

TEST(ClipCutFaults, DamageStopsTheCutOnlyWhereAKeptFrameWouldReadIt) {
    // Among the removed frames it is left out, and the tags stay where they were.
    Bytes clip = Damaged(60, 700);
    MemoryWriter out;
    ASSERT_EQ(Cut(clip, {{50, 90}}, out), kCutWritten);
    EXPECT_EQ(Decode(out.bytes).messages, "");
    EXPECT_EQ(CountFrames(out.bytes).first - 1, CountFrames(out.bytes).second);
    EXPECT_TRUE(std::equal(clip.begin(), clip.begin() + 30, out.bytes.begin()));
    EXPECT_TRUE(std::equal(clip.end() - 128, clip.end(), out.bytes.end() - 128));
    // After the stretch, and between the carriers and the frame that draws on them, it fails.
    MemoryWriter after, seam, failing;
    EXPECT_EQ(Cut(Damaged(120, 700), {{50, 90}}, after), kCutDamaged);
    EXPECT_TRUE(after.bytes.empty());
    EXPECT_EQ(Cut(Damaged(90, 40), {{50, 90}}, seam), kCutDamaged);
    // So does a write, and a stretch that holds no whole frame removes nothing.
    failing.failAfter = 1000;
    EXPECT_EQ(Cut(Load("vbr44.mp3"), {{10, 20}}, failing), kCutWriteFailed);
    EXPECT_EQ(Cut(Load("recording.mp3"), {{5, 5}, {900, 1000}}, out), kCutNothingToRemove);
}

TEST(ClipCut, SeveralStretchesGoInOnePassAndTheInfoFrameKeepsTheCrcOfTheMusicAfterIt) {
    const Bytes clip = Load("long_recording.mp3");
    MemoryWriter out;
    // Out of order, two of them overlapping, two touching.
    ASSERT_EQ(Cut(clip, {{3402, 3403}, {20, 40}, {30, 50}, {3000, 3400}, {3400, 3401}}, out), kCutWritten);
    const Decoded decoded = Decode(out.bytes);
    EXPECT_FALSE(decoded.failed);
    EXPECT_EQ(decoded.messages, "");
    EXPECT_EQ(decoded.frames.size(), CountFrames(out.bytes).second);
    FrameReader reader;
    reader.Open(std::unique_ptr<ByteSource>(new MemorySource(out.bytes.data(), out.bytes.size())));
    ASSERT_EQ(reader.ReadFrame(), FrameReader::kFrameRead);
    const uint8_t* info = reader.FrameData();
    const size_t lame = LocateInfoFields(info, reader.FrameSize(), reader.Header()).lame;
    ASSERT_NE(lame, 0u);
    const uint32_t musicBytes = (uint32_t(info[lame + 28]) << 24) | (info[lame + 29] << 16) | (info[lame + 30] << 8) | info[lame + 31];
    const size_t from = static_cast<size_t>(reader.FrameOffset()) + reader.FrameSize();
    const size_t to = static_cast<size_t>(reader.FrameOffset()) + musicBytes;
    ASSERT_LE(to, out.bytes.size());
    uint16_t crc = 0;  // a bit at a time
    for (size_t i = from; i < to; ++i) {
        crc ^= out.bytes[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    EXPECT_EQ((info[lame + 32] << 8) | info[lame + 33], crc);
}

}  // namespace
