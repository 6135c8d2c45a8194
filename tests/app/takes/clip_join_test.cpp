// The join of an earlier clip and a new part: cut at a whole frame, and never a lost byte
// when something fails. The joined result is left as joined.mp3 for an independent check.
#include <gtest/gtest.h>
#include <windows.h>
#include <fstream>
#include <string>
#include "app/takes/clip_join.h"
#include "audio/reading/frame_cut.h"
#include "join_clips.h"

namespace {

// A disk with g_diskAllowance bytes free: writes come up short once it is full.
DWORD g_diskAllowance = 0;
BOOL WINAPI WriteUntilFull(HANDLE file, LPCVOID data, DWORD size, LPDWORD done, LPOVERLAPPED) {
    const DWORD now = size < g_diskAllowance ? size : g_diskAllowance;
    g_diskAllowance -= now;
    return WriteFile(file, data, now, done, nullptr);
}

class ClipJoin : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring clips = ClipsFolder();
        work = clips + L"\\work-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(work.c_str(), nullptr);
        request.earlier = work + L"\\earlier.mp3";
        request.part = work + L"\\part.mp3";
        request.joined = work + L"\\joined.mp3";
        ASSERT_TRUE(CopyFileW((clips + L"\\earlier.mp3").c_str(), request.earlier.c_str(), FALSE));
        ASSERT_TRUE(CopyFileW((clips + L"\\part.mp3").c_str(), request.part.c_str(), FALSE));
        earlier = Bytes(request.earlier);
        part = Bytes(request.part);
        ASSERT_GT(earlier.size(), 40000u);
    }
    void TearDown() override {
        for (const std::wstring& path : {request.earlier, request.part, request.joined}) DeleteFileW(path.c_str());
        RemoveDirectoryW(work.c_str());
    }
    void ExpectNothingLost(const std::wstring& error) {
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(Bytes(request.earlier), earlier);
        EXPECT_EQ(Bytes(request.part), part);
        EXPECT_FALSE(Exists(request.joined) && GetFileAttributesW(request.joined.c_str()) != FILE_ATTRIBUTE_DIRECTORY);
    }

    std::wstring work;
    JoinRequest request;
    std::string earlier, part;
};

TEST_F(ClipJoin, CutsTheEarlierClipAtTheLastFrameBeforeTheCursor) {
    request.cutAtMostBytes = 2000 * 12;
    std::wstring error;
    ASSERT_TRUE(JoinClips(request, error)) << std::string(error.begin(), error.end());
    // The sources are the caller's to keep for Undo or to dispose of.
    EXPECT_TRUE(Bytes(request.earlier) == earlier);
    EXPECT_TRUE(Bytes(request.part) == part);
    const std::string joined = Bytes(request.joined);
    ASSERT_GT(joined.size(), part.size());
    const size_t cut = joined.size() - part.size();
    // At most one frame (418 bytes at 96 kbit/s) before the cursor, on a frame's start.
    EXPECT_LE(cut, 24000u);
    EXPECT_LT(24000u - cut, 418u);
    EXPECT_EQ(static_cast<unsigned char>(earlier[cut]), 0xFFu);
    EXPECT_EQ(joined.substr(0, cut), earlier.substr(0, cut));
    EXPECT_EQ(joined.substr(cut), part);
    CopyFileW(request.joined.c_str(), (ClipsFolder() + L"\\joined.mp3").c_str(), FALSE);
}

TEST_F(ClipJoin, ACursorPastTheEarlierClipTakesItWhole) {
    request.cutAtMostBytes = earlier.size() + 5000;
    std::wstring error;
    ASSERT_TRUE(JoinClips(request, error));
    EXPECT_EQ(Bytes(request.joined), earlier + part);
}

// An encoder's Info frame in front of the part holds no sound: joined in, it would be played
// and counted as a frame, and every position after the join would come a frame late. The
// result is left as joined_info.mp3 for an independent check of its length.
TEST_F(ClipJoin, LeavesOutTheInfoFrameInFrontOfThePart) {
    ASSERT_TRUE(CopyFileW((ClipsFolder() + L"\\part_info.mp3").c_str(), request.part.c_str(), FALSE));
    part = Bytes(request.part);
    ASSERT_EQ(part.compare(21, 4, "Info"), 0) << "no Info frame in front of the part";
    // 144 * 96000 / 44100 bytes, and the padding byte when the header's bit says so
    const size_t infoFrame = 313 + ((static_cast<unsigned char>(part[2]) >> 1) & 1);
    request.cutAtMostBytes = earlier.size();
    std::wstring error;
    ASSERT_TRUE(JoinClips(request, error)) << std::string(error.begin(), error.end());
    const std::string joined = Bytes(request.joined);
    EXPECT_EQ(joined, earlier + part.substr(infoFrame));
    CopyFileW(request.joined.c_str(), (ClipsFolder() + L"\\joined_info.mp3").c_str(), FALSE);
}

TEST_F(ClipJoin, FailuresDeleteNothingAndLeaveNoPartialFile) {
    request.cutAtMostBytes = 24000;
    std::wstring error;
    // The joined file cannot be created: a folder holds its name.
    ASSERT_TRUE(CreateDirectoryW(request.joined.c_str(), nullptr));
    EXPECT_FALSE(JoinClips(request, error));
    ExpectNothingLost(error);
    RemoveDirectoryW(request.joined.c_str());

    // The disk fills up halfway through the part.
    g_diskAllowance = 30000;
    const JoinFileApi fullDisk{&WriteUntilFull};
    EXPECT_FALSE(JoinClips(request, error, fullDisk));
    ExpectNothingLost(error);
    EXPECT_FALSE(Exists(request.joined));

    // A file already at the joined name, which may be a clip of the user's.
    {
        std::ofstream(request.joined.c_str(), std::ios::binary) << "keep";
    }
    EXPECT_FALSE(JoinClips(request, error));
    EXPECT_EQ(Bytes(request.joined), "keep");
    EXPECT_TRUE(Bytes(request.earlier) == earlier);
    EXPECT_TRUE(Bytes(request.part) == part);
    DeleteFileW(request.joined.c_str());

    // A source that is gone.
    const std::wstring missing = request.part;
    request.part = work + L"\\no-such-part.mp3";
    EXPECT_FALSE(JoinClips(request, error));
    request.part = missing;
    ExpectNothingLost(error);
}

// Damage in the earlier clip before the cursor: cutting there would drop everything from
// the damage to the cursor, so the join fails and deletes nothing. Damage after the cursor
// is cut off with the rest and does not matter.
TEST_F(ClipJoin, DamageBeforeTheCursorFailsTheJoin) {
    FrameCut walk(12000);
    walk.Feed(reinterpret_cast<const uint8_t*>(earlier.data()), earlier.size());
    const size_t damage = static_cast<size_t>(walk.Cut());
    ASSERT_GT(damage, 11000u);
    earlier.replace(damage, 4, std::string(4, '\0'));
    std::ofstream(request.earlier.c_str(), std::ios::binary) << earlier;

    std::wstring error;
    request.cutAtMostBytes = 24000;
    bool damaged = false;
    EXPECT_FALSE(JoinClips(request, error, SystemJoinFileApi(), &damaged));
    ExpectNothingLost(error);
    EXPECT_NE(error.find(L"damaged"), std::wstring::npos) << std::string(error.begin(), error.end());
    EXPECT_TRUE(damaged);  // no later try can mend it

    request.cutAtMostBytes = 6000;
    ASSERT_TRUE(JoinClips(request, error, SystemJoinFileApi(), &damaged)) << std::string(error.begin(), error.end());
    EXPECT_FALSE(damaged);
    const std::string joined = Bytes(request.joined);
    ASSERT_GT(joined.size(), part.size());
    EXPECT_LE(joined.size() - part.size(), 6000u);
    EXPECT_EQ(joined.substr(joined.size() - part.size()), part);
}

}  // namespace
