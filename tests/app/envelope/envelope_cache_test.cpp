// The levels' cache: a clip moved on its volume keeps its levels; a copy, or a clip changed
// with its size and date kept, is measured anew.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/envelope/envelope_cache.h"

namespace {

std::wstring TempPath(const wchar_t* name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"qb-cache-" + std::to_wstring(GetCurrentProcessId()) + L"-" + name;
}

bool WriteAt(const std::wstring& path, DWORD disposition, LONG offset, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD wrote = 0;
    const bool ok = SetFilePointer(file, offset, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
                    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
    CloseHandle(file);
    return ok;
}

FILETIME LastWrite(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

void SetLastWrite(const std::wstring& path, const FILETIME& time) {
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
}

}  // namespace

TEST(EnvelopeCache, LevelsFollowTheFileNotItsNameOrItsLook) {
    const std::wstring clip = TempPath(L"clip.mp3"), moved = TempPath(L"moved.mp3"), copy = TempPath(L"copy.mp3");
    std::string bytes(300 * 1024, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
    ASSERT_TRUE(WriteAt(clip, CREATE_ALWAYS, 0, bytes));
    const levels::Codes codes{0, 12, 200, levels::kSilent, 40};
    envelope_cache::Save(clip, codes);

    levels::Codes loaded;
    ASSERT_TRUE(envelope_cache::Load(clip, loaded));
    EXPECT_EQ(loaded, codes);
    ASSERT_TRUE(MoveFileW(clip.c_str(), moved.c_str()));  // as the Undo history holds a clip
    loaded.clear();
    ASSERT_TRUE(envelope_cache::Load(moved, loaded));
    EXPECT_EQ(loaded, codes);

    ASSERT_TRUE(CopyFileW(moved.c_str(), copy.c_str(), FALSE));  // same bytes and date, another file
    EXPECT_FALSE(envelope_cache::Load(copy, loaded));

    // A change in the last frames, with the size and the date put back.
    const FILETIME written = LastWrite(moved);
    ASSERT_TRUE(WriteAt(moved, OPEN_EXISTING, static_cast<LONG>(bytes.size() - 100), "changed"));
    SetLastWrite(moved, written);
    EXPECT_FALSE(envelope_cache::Load(moved, loaded));

    DeleteFileW(moved.c_str());
    DeleteFileW(copy.c_str());
}

// A clip of unknown length yields no levels: keeping none as its complete levels would show
// it flat for good.
TEST(EnvelopeCache, NoLevelsAreNeverKeptAsAClipsLevels) {
    const std::wstring clip = TempPath(L"unknown.mp3");
    ASSERT_TRUE(WriteAt(clip, CREATE_ALWAYS, 0, std::string(4096, '\x55')));
    envelope_cache::Save(clip, levels::Codes{});
    levels::Codes loaded{7};
    EXPECT_FALSE(envelope_cache::Load(clip, loaded));
    EXPECT_EQ(loaded, levels::Codes{7});
    DeleteFileW(clip.c_str());
}
