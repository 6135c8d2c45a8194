// The local copy of a clip about to be published: a target that is the clip itself under
// another name is left whole, the copy an earlier attempt made is replaced to the byte, and
// any other file is left alone for a free name beside it.
#include "service/publication/clip_copy.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

namespace {

std::string ReadAll(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "(missing)";
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    if (!bytes.empty()) ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

bool WriteAll(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    return CloseHandle(file) && ok;
}

// A clip's worth of bytes that no shifted or truncated copy could match.
std::string ClipBytes(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7919) >> 5);
    return bytes;
}

// A disk that fills up after half of the first block.
BOOL WINAPI WriteHalf(HANDLE file, LPCVOID data, DWORD bytes, LPDWORD written, LPOVERLAPPED) {
    return WriteFile(file, data, bytes / 2, written, nullptr);
}

// A disk that takes every write but fails the write-back to it.
BOOL WINAPI RefuseFlush(HANDLE) {
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

// A file system whose 64-bit index is the same for every file.
BOOL WINAPI OneNarrowIndex(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information) {
    if (!GetFileInformationByHandle(file, information)) return FALSE;
    information->nFileIndexHigh = 0;
    information->nFileIndexLow = 1;
    return TRUE;
}

// A system that gives no 128-bit identity.
BOOL WINAPI NoWideIdentity(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

class ClipCopy : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        m_folder = std::wstring(temp) + L"qb-clip-copy-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(m_folder.c_str(), nullptr);
        CreateDirectoryW((m_folder + L"\\Sub").c_str(), nullptr);
    }
    void TearDown() override {
        for (const std::wstring& path : m_files) DeleteFileW(path.c_str());
        RemoveDirectoryW((m_folder + L"\\Sub").c_str());
        RemoveDirectoryW(m_folder.c_str());
    }
    std::wstring Path(const std::wstring& name) {
        m_files.push_back(m_folder + L"\\" + name);
        return m_files.back();
    }
    std::wstring m_folder;
    std::vector<std::wstring> m_files;
};

TEST_F(ClipCopy, TheClipUnderAnotherNameIsLeftWhole) {
    const std::wstring clip = Path(L"2026-03-15-Episode of the day.mp3");
    const std::string bytes = ClipBytes(40438);
    ASSERT_TRUE(WriteAll(clip, bytes));
    const std::wstring link = Path(L"hard link.mp3");
    ASSERT_TRUE(CreateHardLinkW(link.c_str(), clip.c_str(), nullptr));

    std::wstring otherCase = clip;
    std::transform(otherCase.begin(), otherCase.end(), otherCase.begin(), ::towupper);
    std::wstring slashes = clip;
    std::replace(slashes.begin(), slashes.end(), L'\\', L'/');
    std::vector<std::wstring> names = {clip, link, otherCase, slashes,
                                       m_folder + L"\\Sub\\..\\2026-03-15-Episode of the day.mp3"};
    wchar_t shortName[MAX_PATH];
    if (GetShortPathNameW(clip.c_str(), shortName, MAX_PATH) != 0) names.push_back(shortName);
    for (const std::wstring& name : names) {
        LocalCopy made;
        EXPECT_EQ(CopyClipTo(clip, name, LocalCopy(), &made), CopyOutcome::AlreadyThere)
            << "to " << testing::PrintToString(name);
        ASSERT_EQ(ReadAll(clip), bytes) << "to " << testing::PrintToString(name);
        EXPECT_EQ(CopyClipTo(name, clip, LocalCopy(), &made), CopyOutcome::AlreadyThere)
            << "from " << testing::PrintToString(name);
        ASSERT_EQ(ReadAll(clip), bytes) << "from " << testing::PrintToString(name);
    }
    // Held open by a reader that shares no writing (a player), the clip is still recognised.
    HANDLE reader = CreateFileW(clip.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    LocalCopy made;
    EXPECT_EQ(CopyClipTo(clip, otherCase, LocalCopy(), &made), CopyOutcome::AlreadyThere);
    CloseHandle(reader);
    EXPECT_EQ(ReadAll(clip), bytes);
}

// Another episode's copy may be all that is left of it: neither a file that was there before
// nor one that took the earlier copy's place is touched.
TEST_F(ClipCopy, AnotherFileIsNeverReplaced) {
    const std::wstring clip = Path(L"clip.mp3");
    ASSERT_TRUE(WriteAll(clip, ClipBytes(1000)));
    const std::wstring other = Path(L"other.mp3");
    ASSERT_TRUE(WriteAll(other, "another episode"));
    LocalCopy made;
    EXPECT_EQ(CopyClipTo(clip, other, LocalCopy(), &made), CopyOutcome::Taken);
    EXPECT_EQ(ReadAll(other), "another episode");

    const std::wstring target = Path(L"copy.mp3");
    LocalCopy earlier;
    ASSERT_EQ(CopyClipTo(clip, target, LocalCopy(), &earlier), CopyOutcome::Copied);
    ASSERT_TRUE(DeleteFileW(target.c_str()));
    ASSERT_TRUE(MoveFileW(other.c_str(), target.c_str()));
    EXPECT_EQ(CopyClipTo(clip, target, earlier, &made), CopyOutcome::Taken);
    EXPECT_EQ(ReadAll(target), "another episode");
    EXPECT_EQ(CopyClipTo(clip, other, earlier, &made), CopyOutcome::Copied);  // a free name
}

// Two episodes of one day under one title: the second copy goes beside the first, and OK
// pressed again replaces the second, not the first nor a third.
TEST_F(ClipCopy, ASecondEpisodeOfTheSameNameGetsAFreeName) {
    const std::wstring first = Path(L"2026-03-15-Show.mp3");
    ASSERT_TRUE(WriteAll(first, "the first episode"));
    const std::wstring clip = Path(L"clip.mp3");
    ASSERT_TRUE(WriteAll(clip, "the second episode"));
    const std::wstring second = Path(L"2026-03-15-Show (2).mp3");
    const std::wstring third = Path(L"2026-03-15-Show (3).mp3");
    LocalCopy made;
    ASSERT_TRUE(CopyClipIntoFolder(clip, m_folder, L"2026-03-15", L"Show", LocalCopy(), &made));
    EXPECT_EQ(made.path, second);
    EXPECT_EQ(ReadAll(second), "the second episode");
    const LocalCopy earlier = made;
    ASSERT_TRUE(WriteAll(clip, "the second episode, again"));
    ASSERT_TRUE(CopyClipIntoFolder(clip, m_folder, L"2026-03-15", L"Show", earlier, &made));
    EXPECT_EQ(made.path, second);
    EXPECT_EQ(ReadAll(second), "the second episode, again");
    EXPECT_EQ(ReadAll(first), "the first episode");
    // The clip already in the folder is its own copy.
    ASSERT_TRUE(CopyClipIntoFolder(second, m_folder, L"2026-03-15", L"Show", LocalCopy(), &made));
    EXPECT_EQ(made.path, second);
    EXPECT_EQ(GetFileAttributesW(third.c_str()), INVALID_FILE_ATTRIBUTES);
}

// Where the system gives a 128-bit identity, a 64-bit index that two files share does not make
// them one; where it gives none, the 64-bit index still recognises the clip.
TEST_F(ClipCopy, TheWideIdentityDecidesWhereTheSystemGivesIt) {
    const std::wstring clip = Path(L"clip.mp3");
    ASSERT_TRUE(WriteAll(clip, "the clip"));
    const std::wstring other = Path(L"other.mp3");
    ASSERT_TRUE(WriteAll(other, "another episode"));
    ClipCopyApi sharedIndex = SystemClipCopy();
    sharedIndex.info = OneNarrowIndex;
    LocalCopy made;
    EXPECT_EQ(CopyClipTo(clip, other, LocalCopy(), &made, sharedIndex), CopyOutcome::Taken);
    EXPECT_EQ(ReadAll(other), "another episode");

    ClipCopyApi narrowOnly = SystemClipCopy();
    narrowOnly.infoEx = NoWideIdentity;
    EXPECT_EQ(CopyClipTo(clip, other, LocalCopy(), &made, narrowOnly), CopyOutcome::Taken);
    const std::wstring link = Path(L"link.mp3");
    ASSERT_TRUE(CreateHardLinkW(link.c_str(), clip.c_str(), nullptr));
    EXPECT_EQ(CopyClipTo(clip, link, LocalCopy(), &made, narrowOnly), CopyOutcome::AlreadyThere);
    EXPECT_EQ(ReadAll(clip), "the clip");
}

// A name Windows would take but the file system under it cannot hold whole (Wine on a Linux
// file system stops at 255 bytes of UTF-8, and cuts a longer name without a word) is cut
// further; one it holds is not.
TEST_F(ClipCopy, ANameTheSystemCannotHoldIsCutFurther) {
    const std::wstring clip = Path(L"clip.mp3");
    ASSERT_TRUE(WriteAll(clip, "the clip"));
    auto namesIn = [&]() {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((m_folder + L"\\2026*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do names.push_back(found.cFileName);
        while (FindNextFileW(search, &found));
        FindClose(search);
        return names;
    };
    LocalCopy made;
    ASSERT_TRUE(CopyClipIntoFolder(clip, m_folder, L"2026-03-15", std::wstring(120, L'\u65e5'), LocalCopy(), &made));
    m_files.push_back(made.path);
    const std::wstring cut = L"2026-03-15-" + std::wstring(80, L'\u65e5') + L".mp3";  // 255 bytes
    EXPECT_EQ(made.path, m_folder + L"\\" + cut);
    EXPECT_EQ(namesIn(), std::vector<std::wstring>{cut});
    EXPECT_EQ(ReadAll(made.path), "the clip");
    ASSERT_TRUE(DeleteFileW(made.path.c_str()));

    const std::wstring whole = L"2026-03-15-" + std::wstring(120, L'\u00e9') + L".mp3";  // 255 bytes
    ASSERT_TRUE(CopyClipIntoFolder(clip, m_folder, L"2026-03-15", std::wstring(120, L'\u00e9'), LocalCopy(), &made));
    m_files.push_back(made.path);
    EXPECT_EQ(made.path, m_folder + L"\\" + whole);
    EXPECT_EQ(namesIn(), std::vector<std::wstring>{whole});
}

// Only a copy that reached the disk whole counts: the recording is deleted once the copy is
// published. Otherwise the failure is reported with its reason and nothing is left behind
// to be uploaded, not even a file the copy was to replace.
TEST_F(ClipCopy, AFullDiskLeavesNoTarget) {
    const std::wstring clip = Path(L"clip.mp3");
    ASSERT_TRUE(WriteAll(clip, ClipBytes(1024 * 1024 + 17)));
    const std::wstring target = Path(L"target.mp3");
    ClipCopyApi shortWrite = SystemClipCopy();
    shortWrite.write = WriteHalf;
    ClipCopyApi refusedFlush = SystemClipCopy();
    refusedFlush.flush = RefuseFlush;
    for (const ClipCopyApi* api : {&shortWrite, &refusedFlush}) {
        LocalCopy made;
        EXPECT_EQ(CopyClipTo(clip, target, LocalCopy(), &made, *api), CopyOutcome::Failed);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
        EXPECT_EQ(GetFileAttributesW(target.c_str()), INVALID_FILE_ATTRIBUTES);
        // Nor the earlier copy it was to replace.
        LocalCopy earlier;
        ASSERT_EQ(CopyClipTo(clip, target, LocalCopy(), &earlier), CopyOutcome::Copied);
        EXPECT_EQ(CopyClipTo(clip, target, earlier, &made, *api), CopyOutcome::Failed);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
        EXPECT_EQ(GetFileAttributesW(target.c_str()), INVALID_FILE_ATTRIBUTES);
    }
}

}  // namespace
