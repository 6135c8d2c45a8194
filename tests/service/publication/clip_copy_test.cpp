// The local copy of a clip about to be published: a target that is the clip itself under
// another name is left whole, and any other file is replaced to the byte.
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
        EXPECT_TRUE(CopyWholeFile(clip, name)) << "to " << testing::PrintToString(name);
        ASSERT_EQ(ReadAll(clip), bytes) << "to " << testing::PrintToString(name);
        EXPECT_TRUE(CopyWholeFile(name, clip)) << "from " << testing::PrintToString(name);
        ASSERT_EQ(ReadAll(clip), bytes) << "from " << testing::PrintToString(name);
    }
    // Held open by a reader that shares no writing (a player), the clip is still recognised.
    HANDLE reader = CreateFileW(clip.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(CopyWholeFile(clip, otherCase));
    CloseHandle(reader);
    EXPECT_EQ(ReadAll(clip), bytes);
}

TEST_F(ClipCopy, AnotherFileIsReplacedToTheByte) {
    const std::wstring clip = Path(L"clip.mp3");
    const std::string bytes = ClipBytes(3 * 1024 * 1024 + 17);  // more than one block
    ASSERT_TRUE(WriteAll(clip, bytes));
    const std::wstring longer = Path(L"longer.mp3");
    ASSERT_TRUE(WriteAll(longer, std::string(4 * 1024 * 1024, 'x')));
    EXPECT_TRUE(CopyWholeFile(clip, longer));
    EXPECT_EQ(ReadAll(longer), bytes);
    const std::wstring fresh = Path(L"fresh.mp3");
    EXPECT_TRUE(CopyWholeFile(clip, fresh));
    EXPECT_EQ(ReadAll(fresh), bytes);
}

// Only a copy that reached the disk whole counts: the recording is deleted once the copy is
// published. Otherwise the failure is reported with its reason and nothing is left behind
// to be uploaded, not even a file the copy was to replace.
TEST_F(ClipCopy, AFullDiskLeavesNoTarget) {
    const std::wstring clip = Path(L"clip.mp3");
    ASSERT_TRUE(WriteAll(clip, ClipBytes(1024 * 1024 + 17)));
    const std::wstring target = Path(L"target.mp3");
    CopyWriteApi shortWrite = SystemCopyWrite();
    shortWrite.write = WriteHalf;
    CopyWriteApi refusedFlush = SystemCopyWrite();
    refusedFlush.flush = RefuseFlush;
    for (const CopyWriteApi* api : {&shortWrite, &refusedFlush}) {
        ASSERT_TRUE(WriteAll(target, "an earlier copy"));
        EXPECT_FALSE(CopyWholeFile(clip, target, *api));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
        EXPECT_EQ(GetFileAttributesW(target.c_str()), INVALID_FILE_ATTRIBUTES);
    }
}

}  // namespace
