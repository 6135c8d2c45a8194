// Finishing a take from the journal it left: the torn last frame of the part cut off, the
// frame-aligned join with the clip it continued, and journals that cannot be used removed
// without touching a recording. The restored clip is left as restored.mp3 for an
// independent check.
#include <gtest/gtest.h>
#include <windows.h>
#include <fstream>
#include <string>
#include "app/takes/take_journal.h"
#include "app/takes/take_recovery.h"
#include "audio/reading/frame_cut.h"
#include "join_clips.h"

namespace {

void Write(const std::wstring& path, const std::string& bytes) {
    std::ofstream(path.c_str(), std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool EndsInWholeFrame(const std::wstring& path) {
    uint64_t end = 0, size = 0;
    return WholeFramesEnd(path, end, size) && end == size && size > 0;
}

class TakeRecovery : public ::testing::Test {
protected:
    void SetUp() override {
        work = ClipsFolder() + L"\\recovery-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(work.c_str(), nullptr);
        journal.earlier = work + L"\\earlier.mp3";
        journal.part = work + L"\\part.mp3";
        earlier = Bytes(ClipsFolder() + L"\\earlier.mp3");
        part = Bytes(ClipsFolder() + L"\\part.mp3");
        ASSERT_GT(part.size(), 20000u);
        Write(journal.earlier, earlier);
    }
    void TearDown() override {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((work + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do DeleteFileW((work + L"\\" + found.cFileName).c_str());
            while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(work.c_str());
    }

    std::wstring work;
    TakeJournal journal;
    std::string earlier, part;
};

TEST_F(TakeRecovery, ATornPartIsCutAtItsLastWholeFrameAndJoinedAtTheCursor) {
    const std::string torn = part.substr(0, part.size() - 100);  // the kill came mid-frame
    Write(journal.part, torn);
    journal.cutMs = 2000;
    journal.spots = {1000, 2000, 3000};
    RestoredTake restored;
    std::wstring error;
    ASSERT_TRUE(RestoreTake(journal, restored, error)) << std::string(error.begin(), error.end());
    EXPECT_EQ(error, L"");
    // Left to the caller: the clip the take continued for Undo, the part to dispose of.
    EXPECT_EQ(restored.continued, journal.earlier);
    EXPECT_EQ(restored.part, journal.part);
    EXPECT_TRUE(Bytes(journal.earlier) == earlier);
    EXPECT_EQ(restored.spots, (SpotSet{1000, 2000}));
    EXPECT_EQ(restored.clip.substr(0, work.size()), work);

    const std::string joined = Bytes(restored.clip);
    EXPECT_TRUE(EndsInWholeFrame(restored.clip));
    // Less than a frame (at most 314 bytes here) of the part is gone, and no more of the
    // earlier clip than the join at the cursor cuts.
    size_t kept = 0;
    for (size_t n = torn.size(); n + 314 > torn.size() && kept == 0; --n)
        if (joined.size() >= n && joined.compare(joined.size() - n, n, torn, 0, n) == 0) kept = n;
    ASSERT_GT(kept, 0u) << "the joined clip does not end in the part";
    const size_t earlierBytes = joined.size() - kept;
    EXPECT_LE(earlierBytes, 24000u);
    EXPECT_LT(24000u - earlierBytes, 314u);
    EXPECT_EQ(joined.substr(0, earlierBytes), earlier.substr(0, earlierBytes));
    CopyFileW(restored.clip.c_str(), (ClipsFolder() + L"\\restored.mp3").c_str(), FALSE);
}

TEST_F(TakeRecovery, AFreshTakeIsItsOwnClipAndAPartWithoutAFrameTakesNothingAway) {
    // A fresh take: the part alone, whole frames only, with none of the spots before it but
    // those placed while it was recorded.
    journal.earlier.clear();
    journal.spots = {500};
    Write(journal.part, part.substr(0, part.size() - 7));
    RestoredTake restored;
    std::wstring error;
    ASSERT_TRUE(RestoreTake(journal, restored, error));
    EXPECT_EQ(restored.clip, journal.part);
    EXPECT_TRUE(restored.spots.empty());
    EXPECT_TRUE(EndsInWholeFrame(journal.part));
    EXPECT_LT(Bytes(journal.part).size(), part.size());
    EXPECT_GE(Bytes(journal.part).size() + 314, part.size());
    journal.spotsChanged = true;
    journal.takeSpots = {1500};
    ASSERT_TRUE(RestoreTake(journal, restored, error));
    EXPECT_EQ(restored.spots, journal.takeSpots);
    journal.spotsChanged = false;

    // Killed before the first frame was written: a fresh take has nothing to restore, now or
    // ever...
    Write(journal.part, part.substr(0, 200));
    EXPECT_FALSE(RestoreTake(journal, restored, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(restored.worthRetrying);
    // ...and a continued clip stays whole, with the spots it had.
    journal.earlier = work + L"\\earlier.mp3";
    journal.cutMs = 1000;
    journal.spots = {500, 3000};
    Write(journal.part, part.substr(0, 200));
    ASSERT_TRUE(RestoreTake(journal, restored, error));
    EXPECT_EQ(restored.clip, journal.earlier);
    EXPECT_TRUE(Bytes(journal.earlier) == earlier);
    EXPECT_EQ(restored.spots, journal.spots);
}

TEST_F(TakeRecovery, AClipDamagedBeforeTheCutIsNotWorthAnotherTry) {
    FrameCut walk(earlier.size() / 2);
    walk.Feed(reinterpret_cast<const uint8_t*>(earlier.data()), earlier.size());
    std::string damaged = earlier;
    damaged.replace(static_cast<size_t>(walk.Cut()), 4, std::string(4, '\0'));  // a frame's header
    Write(journal.earlier, damaged);
    Write(journal.part, part);
    journal.cutMs = 60000;  // past the damage
    RestoredTake restored;
    std::wstring error;
    EXPECT_FALSE(RestoreTake(journal, restored, error));
    EXPECT_FALSE(restored.worthRetrying);
    EXPECT_TRUE(Bytes(journal.earlier) == damaged);
    EXPECT_TRUE(Bytes(journal.part) == part);
}

TEST_F(TakeRecovery, ZerosAfterTheLastFrameAreCutAndDamageBeforeMoreAudioIsNot) {
    std::string damaged = part;
    for (size_t i = 5000; i < 5400; ++i) damaged[i] = '\0';
    Write(journal.part, damaged);
    uint64_t end = 0, size = 0;
    ASSERT_TRUE(WholeFramesEnd(journal.part, end, size));
    EXPECT_EQ(size, damaged.size());
    EXPECT_EQ(end, size);

    // A power cut: the file had grown, its last data had not been written.
    Write(journal.part, part + std::string(5000, '\0'));
    ASSERT_TRUE(WholeFramesEnd(journal.part, end, size));
    EXPECT_EQ(end, part.size());
}

TEST_F(TakeRecovery, UnusableJournalsAreRemovedAndTheRecordingsKept) {
    Write(journal.part, part);
    journal.cutMs = 1000;
    const std::wstring good = work + L"\\take-1-1.journal";
    std::wstring error;
    ASSERT_TRUE(WriteTakeJournal(good, journal, error));
    EXPECT_FALSE(Exists(TakeJournalTempPath(good)));
    TakeJournal read;
    ASSERT_TRUE(ReadTakeJournal(good, read, error));
    EXPECT_TRUE(read == journal);

    Write(work + L"\\take-2-2.journal", "\x51\x00\x75\x00\x69");  // cut short
    TakeJournal missingPart = journal, missingClip = journal;
    missingPart.part = work + L"\\gone.mp3";
    missingClip.earlier = work + L"\\gone-too.mp3";
    ASSERT_TRUE(WriteTakeJournal(work + L"\\take-3-3.journal", missingPart, error));
    ASSERT_TRUE(WriteTakeJournal(work + L"\\take-4-4.journal", missingClip, error));
    Write(work + L"\\take-5-5.journal.tmp", "half");
    // A part that another program holds now may be free at the next start.
    TakeJournal heldPart = journal;
    heldPart.part = work + L"\\held.mp3";
    Write(heldPart.part, part);
    ASSERT_TRUE(WriteTakeJournal(work + L"\\take-6-6.journal", heldPart, error));
    HANDLE held = CreateFileW(heldPart.part.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    const std::vector<LeftTake> left = FindLeftTakes(work);
    CloseHandle(held);
    EXPECT_TRUE(Exists(work + L"\\take-6-6.journal"));
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].journalPath, good);
    EXPECT_TRUE(left[0].journal == journal);
    EXPECT_TRUE(Exists(good));  // the caller removes it once the user has answered
    for (const wchar_t* name : {L"take-2-2.journal", L"take-3-3.journal", L"take-4-4.journal", L"take-5-5.journal.tmp"})
        EXPECT_FALSE(Exists(work + L"\\" + name)) << std::string(name, name + wcslen(name));
    EXPECT_EQ(Bytes(journal.part), part);
    EXPECT_TRUE(Bytes(journal.earlier) == earlier);
}

// Only what the recorder writes is trusted: MP3 files of its format in the recordings folder
// itself, wherever the path seems to lead. Anything else is said to be foreign and left alone.
TEST_F(TakeRecovery, AJournalNamingFilesTheRecorderDidNotWriteIsNeverTrusted) {
    Write(journal.part, part);
    journal.cutMs = 1000;
    const std::wstring outside = work + L"-outside";
    CreateDirectoryW(outside.c_str(), nullptr);
    const std::wstring text = work + L"\\notes.mp3", outsideClip = outside + L"\\clip.mp3";
    Write(text, std::string(1040, 'x'));
    Write(outsideClip, earlier);
    Write(work + L"\\part.wav", part);

    std::vector<std::pair<std::wstring, TakeJournal>> foreign;
    auto add = [&](const wchar_t* journalName, const std::wstring& partPath, const std::wstring& earlierPath) {
        TakeJournal named = journal;
        named.part = partPath;
        named.earlier = earlierPath;
        foreign.emplace_back(work + L"\\" + journalName, named);
    };
    add(L"take-1-1.journal", text, journal.earlier);                 // a text file
    add(L"take-2-2.journal", journal.part, outsideClip);              // a clip beside the folder
    const std::wstring name = work.substr(work.find_last_of(L'\\') + 1);
    add(L"take-3-3.journal", work + L"\\..\\" + name + L"-outside\\clip.mp3", L"");  // ".." leading out
    add(L"take-4-4.journal", work + L"\\part.wav", L"");             // not an MP3 file
    std::wstring error;
    for (const auto& entry : foreign) ASSERT_TRUE(WriteTakeJournal(entry.first, entry.second, error));
    // ".." that leads back in is the folder's own.
    TakeJournal back = journal;
    back.part = outside + L"\\..\\" + name + L"\\part.mp3";
    ASSERT_TRUE(WriteTakeJournal(work + L"\\take-5-5.journal", back, error));

    const std::vector<LeftTake> left = FindLeftTakes(work);
    ASSERT_EQ(left.size(), foreign.size() + 1);
    for (size_t i = 0; i < foreign.size(); ++i) {
        EXPECT_EQ(left[i].journalPath, foreign[i].first);
        EXPECT_FALSE(left[i].foreign.empty()) << i;
    }
    EXPECT_EQ(left.back().foreign, L"");
    EXPECT_EQ(Bytes(text), std::string(1040, 'x'));
    EXPECT_TRUE(Bytes(outsideClip) == earlier);
    EXPECT_EQ(Bytes(journal.part), part);
    DeleteFileW(outsideClip.c_str());
    RemoveDirectoryW(outside.c_str());
}

}  // namespace
