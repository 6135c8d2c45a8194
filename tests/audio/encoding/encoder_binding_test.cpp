// A lame_enc.dll that lacks one of the four entry points is not used, and not kept loaded.
#include <gtest/gtest.h>

#include "audio/encoding/encoder_binding.h"
#include "audio/encoding/encoder_stream.h"
#include "encoder_test_support.h"

TEST(EncoderBinding, ALibraryWithoutAllEntryPointsIsRefusedAndUnloaded) {
    EXPECT_EQ(encoder_binding::Configure(44100, kEncoderModeMono, 96, kNoMaxBitrate), -1);
    EXPECT_FALSE(encoder_binding::IsLoaded());
    EXPECT_EQ(GetModuleHandleW(L"lame_enc.dll"), nullptr);
    TempFolder folder;
    EXPECT_EQ(EncoderStream::Open(folder.Path(L"clip.mp3").c_str()), nullptr);
    EXPECT_FALSE(FileExists(folder.Path(L"clip.mp3")));
}
