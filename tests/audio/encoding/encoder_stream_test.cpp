// The encoder binding and stream against the scripted library: what reaches the library,
// how blocks are cut into chunks, and what reaches the file.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "audio/encoding/encoder_binding.h"
#include "audio/encoding/encoder_stream.h"
#include "encoder_test_support.h"

namespace {

std::vector<short> Ramp(size_t samples) {
    std::vector<short> pcm(samples);
    for (size_t i = 0; i < samples; ++i) pcm[i] = static_cast<short>(i);
    return pcm;
}

}  // namespace

TEST(EncoderBinding, OpenBeforeTheLibraryIsLoadedCreatesNoFile) {
    if (encoder_binding::IsLoaded()) GTEST_SKIP() << "needs a process of its own";
    TempFolder folder;
    EXPECT_EQ(EncoderStream::Open(folder.Path(L"clip.mp3").c_str()), nullptr);
    EXPECT_FALSE(FileExists(folder.Path(L"clip.mp3")));
}

TEST(EncoderBinding, HandsTheConfigurationRecordToTheLibrary) {
    ASSERT_TRUE(LoadFakeEncoder());
    TempFolder folder;
    EncoderStream* stream = EncoderStream::Open(folder.Path(L"clip.mp3").c_str());
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(FakeLog().initCalls, 1);
    const EncoderConfigRecord expected = BuildEncoderConfig(44100, kEncoderModeMono, 96, kNoMaxBitrate);
    EXPECT_EQ(std::memcmp(FakeLog().config, expected.data(), kEncoderConfigSize), 0);
    EncoderStream::Close(stream);
}

TEST(EncoderStream, SplitsABlockIntoChunksOfTheLibrarysSize) {
    ASSERT_TRUE(LoadFakeEncoder());
    TempFolder folder;
    EncoderStream* stream = EncoderStream::Open(folder.Path(L"clip.mp3").c_str());
    ASSERT_NE(stream, nullptr);
    const std::vector<short> pcm = Ramp(4410);  // one 100 ms block
    EXPECT_EQ(EncoderStream::Write(stream, pcm.data(), 8820), 0);
    ASSERT_EQ(FakeLog().encodeCalls, 4);
    const unsigned long sizes[] = {1152, 1152, 1152, 954};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(FakeLog().chunkSamples[i], sizes[i]) << "call " << i;
        EXPECT_EQ(FakeLog().chunkFirstSample[i], 1152 * i) << "call " << i;
    }
    EncoderStream::Close(stream);
}

TEST(EncoderStream, WriteOfNothingCallsNothing) {
    ASSERT_TRUE(LoadFakeEncoder());
    TempFolder folder;
    EncoderStream* stream = EncoderStream::Open(folder.Path(L"clip.mp3").c_str());
    ASSERT_NE(stream, nullptr);
    short sample = 1;
    EXPECT_EQ(EncoderStream::Write(stream, &sample, 0), 0);
    EXPECT_EQ(FakeLog().encodeCalls, 0);
    EncoderStream::Close(stream);
}

TEST(EncoderStream, WriteWithoutAStreamFails) {
    short sample = 1;
    EXPECT_EQ(EncoderStream::Write(nullptr, &sample, 2), -1);
    EncoderStream::Close(nullptr);  // ignored
}

// What a block produced is on disk when Write returns, before Close: a killed recorder
// keeps it.
TEST(EncoderStream, EveryBlockReachesTheDiskAtOnce) {
    ASSERT_TRUE(LoadFakeEncoder());
    TempFolder folder;
    const std::wstring path = folder.Path(L"clip.mp3");
    EncoderStream* stream = EncoderStream::Open(path.c_str());
    ASSERT_NE(stream, nullptr);
    const std::vector<short> pcm = Ramp(4410);
    ASSERT_EQ(EncoderStream::Write(stream, pcm.data(), 8820), 0);
    EXPECT_EQ(ReadWholeFile(path), "bbbbbbbcccccccdddddddeeeeeee");
    EncoderStream::Close(stream);
    EXPECT_EQ(ReadWholeFile(path), "bbbbbbbcccccccdddddddeeeeeeeZZZZZ");
}

TEST(EncoderStream, AFailingChunkDropsTheRestOfTheBlockOnly) {
    FakeEncoderScript script;
    script.failEncodeCall = 2;
    ASSERT_TRUE(LoadFakeEncoder(script));
    TempFolder folder;
    const std::wstring path = folder.Path(L"clip.mp3");
    EncoderStream* stream = EncoderStream::Open(path.c_str());
    ASSERT_NE(stream, nullptr);
    const std::vector<short> pcm = Ramp(4410);
    EXPECT_EQ(EncoderStream::Write(stream, pcm.data(), 8820), -1);
    EXPECT_EQ(FakeLog().encodeCalls, 2);
    EXPECT_EQ(EncoderStream::Write(stream, pcm.data(), 2304), 0);
    EXPECT_EQ(FakeLog().encodeCalls, 3);
    EncoderStream::Close(stream);
    EXPECT_EQ(ReadWholeFile(path), "bbbbbbbdddddddZZZZZ");
}

// A file already at the path may be a clip of the user's.
TEST(EncoderStream, OpenNeverReplacesAnExistingFile) {
    ASSERT_TRUE(LoadFakeEncoder());
    TempFolder folder;
    const std::wstring path = folder.Path(L"clip.mp3");
    WriteWholeFile(path, std::string(5000, 'x'));
    EXPECT_EQ(EncoderStream::Open(path.c_str()), nullptr);
    EXPECT_EQ(FakeLog().initCalls, 0);
    EXPECT_EQ(ReadWholeFile(path), std::string(5000, 'x'));
}

TEST(EncoderStream, OpenFailsWhenTheFileCannotBeCreated) {
    ASSERT_TRUE(LoadFakeEncoder());
    TempFolder folder;
    EXPECT_EQ(EncoderStream::Open(folder.Path(L"no such folder\\clip.mp3").c_str()), nullptr);
    EXPECT_EQ(FakeLog().initCalls, 0);
}

TEST(EncoderStream, OpenFailsWhenTheLibraryRefusesToStart) {
    FakeEncoderScript script;
    script.initResult = 2;
    ASSERT_TRUE(LoadFakeEncoder(script));
    TempFolder folder;
    EXPECT_EQ(EncoderStream::Open(folder.Path(L"clip.mp3").c_str()), nullptr);
}

// The shared output buffer holds 65536 bytes: a library that may produce more is refused,
// and the stream it started is ended.
TEST(EncoderStream, OpenRefusesAnOutputLargerThanTheSharedBuffer) {
    FakeEncoderScript script;
    script.outputSize = 65537;
    ASSERT_TRUE(LoadFakeEncoder(script));
    TempFolder folder;
    EXPECT_EQ(EncoderStream::Open(folder.Path(L"clip.mp3").c_str()), nullptr);
    EXPECT_EQ(FakeLog().closeCalls, 1);

    script.outputSize = 65536;
    ASSERT_TRUE(LoadFakeEncoder(script));
    EncoderStream* stream = EncoderStream::Open(folder.Path(L"clip.mp3").c_str());
    EXPECT_NE(stream, nullptr);
    EncoderStream::Close(stream);
}

TEST(EncoderStream, CloseWritesTheTailOnlyWhenTheLibraryEndsCleanly) {
    FakeEncoderScript script;
    script.deinitResult = 1;
    ASSERT_TRUE(LoadFakeEncoder(script));
    TempFolder folder;
    const std::wstring path = folder.Path(L"clip.mp3");
    EncoderStream* stream = EncoderStream::Open(path.c_str());
    ASSERT_NE(stream, nullptr);
    EncoderStream::Close(stream);
    EXPECT_EQ(FakeLog().deinitCalls, 1);
    EXPECT_EQ(FakeLog().closeCalls, 1);
    EXPECT_EQ(ReadWholeFile(path), "");
}
