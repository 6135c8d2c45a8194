// The local copy's names: whatever the title or the podcast is called, the copy stays a
// plain file inside the podcast's folder.
#include <gtest/gtest.h>
#include "service/publication/file_name_cleaning.h"

TEST(FileNameCleaning, TitleKeepsItsOwnReplacements) {
    EXPECT_EQ(CleanFileTitle(L"My show: part 1?"), L"My_show__part_1_");
    EXPECT_EQ(CleanFileTitle(L"*x*"), L"_x_");
}

TEST(FileNameCleaning, TitleCannotLeaveTheFolderOrBreakTheName) {
    EXPECT_EQ(CleanFileTitle(L"a\\..\\..\\x"), L"a_.._.._x");
    EXPECT_EQ(CleanFileTitle(L"a/b"), L"a_b");
    EXPECT_EQ(CleanFileTitle(L"<draft> \"1\" | 2"), L"_draft___1____2");
    EXPECT_EQ(CleanFileTitle(L"tab\there\x01\x1f"), L"tab_here__");
    EXPECT_EQ(CleanFileTitle(L"Zoë – Łódź"), L"Zoë_–_Łódź");
}

TEST(FileNameCleaning, FolderIsTrimmedAndLosesItsDots) {
    EXPECT_EQ(CleanFolderName(L"  Mr. Sound \t"), L"Mr_ Sound");
    EXPECT_EQ(CleanFolderName(L".."), L"__");
    EXPECT_EQ(CleanFolderName(L"..\\..\\Windows"), L"______Windows");
    EXPECT_EQ(CleanFolderName(L"a/b:c|d<e>\"f\"?*"), L"a_b_c_d_e__f___");
}

TEST(FileNameCleaning, FolderIsNeverBlankNorADevice) {
    EXPECT_EQ(CleanFolderName(L"   "), L"_");
    EXPECT_EQ(CleanFolderName(L"con"), L"con_");
    EXPECT_EQ(CleanFolderName(L" LPT1 "), L"LPT1_");
    EXPECT_EQ(CleanFolderName(L"Nul.fm"), L"Nul_fm");
    EXPECT_EQ(CleanFolderName(L"Console"), L"Console");
}

TEST(FileNameCleaning, LongNamesAreCutWhereAFileNameEndsNeverInsideACharacter) {
    EXPECT_EQ(CutToFit(L"abcdef", 4, 255), L"abcd");
    EXPECT_EQ(CutToFit(L"\u65e5\u672c\u8a9e", 10, 7), L"\u65e5\u672c");  // three bytes each
    EXPECT_EQ(CutToFit(L"a\U0001F399b", 2, 255), L"a");                  // the pair stays whole
    EXPECT_EQ(CutToFit(L"a\U0001F399b", 3, 255), L"a\U0001F399");
}

// The folders of podcasts with long names stay where they always were, unless the copy's path
// could not fit.
TEST(FileNameCleaning, AFolderIsCutOnlyWhenTheCopysPathWouldNotFit) {
    const std::wstring name = std::wstring(79, L'x') + L" long tail";
    EXPECT_EQ(FitFolderName(name, 35), name);
    EXPECT_EQ(FitFolderName(name, kLongestPathChars - 1 - kCopyRoomChars - 80), std::wstring(79, L'x'));
    EXPECT_EQ(FitFolderName(L"CON is a show", kLongestPathChars - 1 - kCopyRoomChars - 3), L"CON_");
}

TEST(FileNameCleaning, ACopysNumberFollowsTheTitleAndACutLeavesItRoom) {
    const std::wstring date = L"2006-03-15";
    EXPECT_EQ(CopyFileName(date, L"My_show", 1, 40, 255), L"2006-03-15-My_show.mp3");
    EXPECT_EQ(CopyFileName(date, L"My_show", 2, 40, 255), L"2006-03-15-My_show (2).mp3");
    // Cut to the path's 259 characters with the number in it...
    const std::wstring title(100, L'x');
    EXPECT_EQ(CopyFileName(date, title, 1, 200, 255), date + L"-" + std::wstring(43, L'x') + L".mp3");
    EXPECT_EQ(CopyFileName(date, title, 12, 200, 255), date + L"-" + std::wstring(38, L'x') + L" (12).mp3");
    // ...and to the name's bytes when asked.
    EXPECT_EQ(CopyFileName(date, std::wstring(120, L'\u65e5'), 3, 30, kLongestNameBytes),
              date + L"-" + std::wstring(78, L'\u65e5') + L" (3).mp3");
}

// Windows takes a name of 255 UTF-16 units, whatever their UTF-8 size.
TEST(FileNameCleaning, ACopysNameIsCutToWhatWindowsAllows) {
    const std::wstring date = L"2006-03-15";
    EXPECT_EQ(CopyFileName(date, std::wstring(120, L'\u65e5'), 1, 30, kAnyNameBytes),
              date + L"-" + std::wstring(120, L'\u65e5') + L".mp3");
    EXPECT_EQ(CopyFileName(date, std::wstring(300, L'a'), 2, 3, kAnyNameBytes),
              date + L"-" + std::wstring(255 - 19, L'a') + L" (2).mp3");
}
