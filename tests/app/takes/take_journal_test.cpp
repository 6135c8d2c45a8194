// The take journal's bytes: what is written reads back the same, and anything that is not a
// whole journal, as a kill, a full disk or a stray edit would leave it, is refused.
#include <gtest/gtest.h>
#include <string>
#include "app/takes/take_journal_format.h"

namespace {

TakeJournal Continuing() {
    TakeJournal journal;
    journal.part = L"C:\\Users\\me\\Documents\\My Podcasts\\Unpublished\\2026-12-07-18-01-02-41.mp3";
    journal.earlier = L"C:\\Users\\me\\Documents\\My Podcasts\\Unpublished\\2026-12-07-17-59-00.mp3";
    journal.cutMs = 3012;
    journal.spots = {0, 1500, 4294967295u};
    journal.spotsChanged = true;  // one removed, one placed during the take
    journal.takeSpots = {0, 5000};
    return journal;
}

std::string Utf16(const std::wstring& text) {
    std::string bytes;
    for (wchar_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    return bytes;
}

bool Decodes(const std::wstring& text) {
    TakeJournal journal;
    std::wstring why;
    return DecodeTakeJournal(Utf16(text), journal, why);
}

TEST(TakeJournal, ReadsBackWhatWasWritten) {
    TakeJournal fresh;
    fresh.part = L"D:\\Подкасты\\Unpublished\\2026-12-07-18-01-02-0.mp3";  // not only ASCII
    for (const TakeJournal& written : {Continuing(), fresh}) {
        TakeJournal read;
        std::wstring why;
        ASSERT_TRUE(DecodeTakeJournal(EncodeTakeJournal(written), read, why)) << std::string(why.begin(), why.end());
        EXPECT_TRUE(read == written);
        EXPECT_EQ(read.ContinuesClip(), written.ContinuesClip());
    }
}

TEST(TakeJournal, AJournalCutShortAnywhereIsRefused) {
    const std::string whole = EncodeTakeJournal(Continuing());
    for (size_t size = 0; size < whole.size(); ++size) {
        TakeJournal journal;
        std::wstring why;
        EXPECT_FALSE(DecodeTakeJournal(whole.substr(0, size), journal, why)) << size << " bytes";
        EXPECT_FALSE(why.empty());
    }
}

TEST(TakeJournal, DamagedOrForeignContentIsRefused) {
    const std::wstring head = L"Quillbank recorder take journal 1\n";
    EXPECT_TRUE(Decodes(head + L"part=a.mp3\nspots=\nend\n"));
    EXPECT_TRUE(Decodes(head + L"part=a.mp3\nearlier=b.mp3\ncut=0\nspots=1 2\ntake-spots=\nend\n"));
    EXPECT_FALSE(Decodes(head + L"spots=1 2\nearlier=b.mp3\npart=a.mp3\ncut=0\nend\n"));  // out of order

    EXPECT_FALSE(Decodes(L"Quillbank recorder take journal 2\npart=a.mp3\nspots=\nend\n"));
    EXPECT_FALSE(Decodes(head + L"spots=\nend\n"));                            // no part
    EXPECT_FALSE(Decodes(head + L"part=a.mp3\nend\n"));                        // no spots
    EXPECT_FALSE(Decodes(head + L"part=\nspots=\nend\n"));
    EXPECT_FALSE(Decodes(head + L"part=a\r.mp3\nspots=\nend\n"));
    EXPECT_FALSE(Decodes(head + L"part=a.mp3\npart=b.mp3\nspots=\nend\n"));  // repeated
    EXPECT_FALSE(Decodes(head + L"part=a.mp3\nsize=4\nspots=\nend\n"));       // unknown
    EXPECT_FALSE(Decodes(head + L"part=a.mp3\nspots\nend\n"));
    EXPECT_FALSE(Decodes(head + L"part=a.mp3\nearlier=b.mp3\nspots=\nend\n")); // no cut
    EXPECT_FALSE(Decodes(head + L"part=a.mp3\ncut=5\nspots=\nend\n"));         // no clip
    EXPECT_FALSE(Decodes(head + L"part=a.mp3\nearlier=b.mp3\ncut=4294967296\nspots=\nend\n"));
    EXPECT_FALSE(Decodes(head + L"part=a.mp3\nearlier=b.mp3\ncut=-1\nspots=\nend\n"));
    for (const wchar_t* spots : {L"2 1", L"1 1", L"1  2", L"1 ", L" 1", L"x", L"1,2", L"01", L"99999999999"})
        EXPECT_FALSE(Decodes(head + L"part=a.mp3\nspots=" + spots + L"\nend\n")) << spots;
    EXPECT_FALSE(Decodes(head + L"part=a.mp3\nspots=\ntake-spots=1\ntake-spots=2\nend\n"));
    EXPECT_FALSE(Decodes(head + L"part=a.mp3\nspots=\nend\nend\n"));
    EXPECT_FALSE(Decodes(head + L"part=a.mp3\nspots=\nend\nmore"));

    TakeJournal journal;
    std::wstring why;
    const std::string good = Utf16(head + L"part=a.mp3\nspots=\nend\n");
    EXPECT_FALSE(DecodeTakeJournal(good + "x", journal, why));            // odd size
    std::string withNull = good;
    withNull[2 * head.size() + 6] = '\0';
    withNull[2 * head.size() + 7] = '\0';
    EXPECT_FALSE(DecodeTakeJournal(withNull, journal, why));
    EXPECT_FALSE(DecodeTakeJournal(Utf16(head + L"part=a.mp3\nspots=1\ncut=x\nend\n"), journal, why));
    EXPECT_TRUE(journal == TakeJournal{});  // nothing of a refused journal is kept
    EXPECT_FALSE(DecodeTakeJournal(std::string(kMaxTakeJournalBytes + 2, 'a'), journal, why));
}

}  // namespace
