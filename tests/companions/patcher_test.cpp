// The updater's move of an update into the program's folder, and its rollback.
#include <gtest/gtest.h>
#include <windows.h>
#include "companions/patcher/update_files.h"
#include "companions/patcher/update_install.h"
#include "standin_client.h"

namespace {

class UpdateInstall : public ::testing::Test {
protected:
    void SetUp() override {
        program = TestFolder(L"program");
        CreateDirectoryW(Updates().c_str(), nullptr);
    }
    std::wstring Updates() const { return JoinPath(program, kUpdatesFolderName); }
    void Put(const std::wstring& folder, const std::wstring& relative, const std::string& bytes) {
        const size_t slash = relative.rfind(L'\\');
        if (slash != std::wstring::npos) CreateDirectoryW(JoinPath(folder, relative.substr(0, slash)).c_str(), nullptr);
        WriteWholeFile(JoinPath(folder, relative), bytes);
    }
    std::string In(const std::wstring& folder, const std::wstring& relative) const {
        return ReadWholeFile(JoinPath(folder, relative));
    }
    bool Exists(const std::wstring& path) const { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

    std::wstring program;
    CLogFile log;  // closed: the installer's lines go nowhere
};

TEST_F(UpdateInstall, ReplacesAndAddsEveryFileAndLeavesUpdatesEmpty) {
    Put(program, L"recorder.exe", "old recorder");
    Put(program, L"adspot.mp3", "old jingle");
    Put(Updates(), L"recorder.exe", "new recorder");
    Put(Updates(), L"docs\\notes.txt", "new notes");
    UpdateInstaller installer(program, &log);
    ASSERT_TRUE(installer.Install(ListFilesUnder(Updates())));
    EXPECT_EQ(In(program, L"recorder.exe"), "new recorder");
    EXPECT_EQ(In(program, L"docs\\notes.txt"), "new notes");
    EXPECT_EQ(In(program, L"adspot.mp3"), "old jingle");  // not in the update: untouched
    EXPECT_TRUE(Exists(Updates()));
    EXPECT_TRUE(ListFilesUnder(Updates()).empty());
    EXPECT_FALSE(Exists(JoinPath(Updates(), L"docs")));
    EXPECT_FALSE(Exists(installer.BackupFolder()));
}

TEST_F(UpdateInstall, AFileHeldOpenPutsEveryOriginalBack) {
    Put(program, L"a.dll", "old a");
    Put(program, L"b.dll", "old b");
    Put(Updates(), L"a.dll", "new a");
    Put(Updates(), L"b.dll", "new b");
    Put(Updates(), L"c\\c.txt", "new c");
    // Held the way a running program or a virus scanner holds a file: no sharing of deletion.
    HANDLE held = CreateFileW(JoinPath(program, L"b.dll").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    UpdateInstaller installer(program, &log);
    const bool installed = installer.Install(ListFilesUnder(Updates()));
    CloseHandle(held);

    ASSERT_FALSE(installed);
    EXPECT_EQ(installer.FailedFile(), L"b.dll");
    EXPECT_TRUE(installer.RollbackComplete());
    EXPECT_EQ(In(program, L"a.dll"), "old a");  // it had already been replaced
    EXPECT_EQ(In(program, L"b.dll"), "old b");
    EXPECT_FALSE(Exists(JoinPath(program, L"c")));
    // The update is still whole, for the next attempt.
    EXPECT_EQ(ListFilesUnder(Updates()), (std::vector<std::wstring>{L"a.dll", L"b.dll", L"c\\c.txt"}));
    EXPECT_EQ(In(Updates(), L"a.dll"), "new a");
    EXPECT_FALSE(Exists(installer.BackupFolder()));
}

TEST_F(UpdateInstall, APathLeavingTheProgramFolderChangesNothing) {
    EXPECT_TRUE(IsContainedRelativePath(L"sub\\file.txt"));
    for (const wchar_t* bad : {L"..\\evil.exe", L"sub\\..\\..\\evil.exe", L"C:evil.exe", L"\\evil.exe", L"a\\\\b", L""})
        EXPECT_FALSE(IsContainedRelativePath(bad)) << bad;

    Put(program, L"a.dll", "old a");
    Put(Updates(), L"a.dll", "new a");
    UpdateInstaller installer(program, &log);
    EXPECT_FALSE(installer.Install({L"a.dll", L"..\\evil.exe"}));
    EXPECT_EQ(In(program, L"a.dll"), "old a");
    EXPECT_EQ(In(Updates(), L"a.dll"), "new a");
}

}  // namespace
