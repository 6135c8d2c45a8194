// The updater's move of an update into the program's folder, and its rollback.
#include <gtest/gtest.h>
#include <windows.h>
#include <thread>
#include "companions/patcher/install_record.h"
#include "companions/patcher/patch_run.h"
#include "companions/patcher/update_files.h"
#include "companions/patcher/update_install.h"
#include "service/update/update_list.h"
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

TEST_F(UpdateInstall, TheSameReadOnlyUpdateTwiceInARowLeavesNoBackup) {
    Put(program, L"recorder.exe", "installed");
    for (const char* version : {"2.9", "2.10"}) {
        Put(Updates(), L"recorder.exe", version);
        Put(Updates(), L"docs\\notes.txt", version);
        for (const wchar_t* file : {L"recorder.exe", L"docs\\notes.txt"})
            SetFileAttributesW(JoinPath(Updates(), file).c_str(), FILE_ATTRIBUTE_READONLY);
        UpdateInstaller installer(program, &log);
        ASSERT_TRUE(installer.Install(ListFilesUnder(Updates()))) << version;
        EXPECT_FALSE(Exists(installer.BackupFolder())) << version;
        EXPECT_EQ(In(program, L"recorder.exe"), version);
        // The installer and the next update must be able to replace it.
        EXPECT_FALSE(GetFileAttributesW(JoinPath(program, L"recorder.exe").c_str()) & FILE_ATTRIBUTE_READONLY);
    }
}

// The whole updater in this process: no recorder runs in the test's folder, so it neither
// waits nor can start one.
class Patcher : public UpdateInstall {
protected:
    void SetUp() override {
        UpdateInstall::SetUp();
        logPath = program + L"-patcher.log";
        ASSERT_TRUE(log.Open(logPath));
        Put(program, L"adspot.mp3", "old jingle");
        Put(Updates(), L"adspot.mp3", "new jingle");
        Put(Updates(), L"docs\\notes.txt", "notes");
    }
    PatchOutcome Run() {
        const PatchOutcome outcome = RunPatcher(program, &log, 1000);
        log.Close();
        return outcome;
    }
    // Runs the updater and answers the message box it shows the user, whose text it returns.
    std::wstring RunAnsweringTheBox(PatchOutcome* outcome) {
        std::wstring text;
        std::thread answer([&text] {
            for (int tries = 0; tries < 200; ++tries, Sleep(50)) {
                const HWND box = FindWindowW(L"#32770", L"Quillbank recorder update");
                if (box == nullptr) continue;
                wchar_t buffer[1024] = L"";
                GetDlgItemTextW(box, 0xFFFF, buffer, 1024);
                text = buffer;
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                return;
            }
        });
        *outcome = Run();
        answer.join();
        return text;
    }
    bool Logged(const std::wstring& start) const {
        const std::string bytes = ReadWholeFile(logPath);
        const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
        return text.find(L"\n" + start) != std::wstring::npos || text.rfind(start, 0) == 0;
    }
    std::wstring logPath;
};

TEST_F(Patcher, AnUpdateWithoutItsListIsRefusedAndTheUserTold) {
    PatchOutcome outcome;
    EXPECT_EQ(RunAnsweringTheBox(&outcome),
              L"The update could not be installed: it has no list of its files.\nNothing was changed, and the "
              L"recorder starts again in its previous version.");
    EXPECT_EQ(outcome, PatchOutcome::Refused);
    EXPECT_EQ(In(program, L"adspot.mp3"), "old jingle");
    EXPECT_FALSE(Exists(JoinPath(program, L"docs")));
    EXPECT_TRUE(Logged(L"!!! The update is incomplete and was not installed: it has no list of its files"));
}

TEST_F(Patcher, AListNamingAFileThatIsNotThereIsRefused) {
    ASSERT_TRUE(WriteUpdateList(Updates(), {L"adspot.mp3", L"lame_enc.dll"}));
    PatchOutcome outcome;
    EXPECT_NE(RunAnsweringTheBox(&outcome), L"");
    EXPECT_EQ(outcome, PatchOutcome::Refused);
    EXPECT_EQ(In(program, L"adspot.mp3"), "old jingle");
    EXPECT_TRUE(Logged(L"!!! The update is incomplete and was not installed: its list names lame_enc.dll, which is "
                       L"not there"));
}

TEST_F(Patcher, AListLeavingTheFolderIsRefused) {
    WriteWholeFile(JoinPath(Updates(), kUpdateListName), "adspot.mp3\r\n..\\evil.exe\r\n");
    PatchOutcome outcome;
    EXPECT_NE(RunAnsweringTheBox(&outcome), L"");
    EXPECT_EQ(outcome, PatchOutcome::Refused);
    EXPECT_EQ(In(program, L"adspot.mp3"), "old jingle");
}

TEST_F(Patcher, InstallsExactlyTheListedFilesAndRecordsThem) {
    Put(Updates(), L"left_from_an_earlier_attempt.dll", "half");
    ASSERT_TRUE(WriteUpdateList(Updates(), {L"adspot.mp3", L"docs\\notes.txt"}));
    EXPECT_EQ(Run(), PatchOutcome::Installed);
    EXPECT_EQ(In(program, L"adspot.mp3"), "new jingle");
    EXPECT_EQ(In(program, L"docs\\notes.txt"), "notes");
    EXPECT_FALSE(Exists(JoinPath(program, L"left_from_an_earlier_attempt.dll")));
    EXPECT_FALSE(Exists(JoinPath(Updates(), kUpdateListName)));
    // For the uninstaller: the files, then the folder the update made.
    EXPECT_EQ(ReadInstallRecord(program), (std::vector<std::wstring>{L"adspot.mp3", L"docs\\notes.txt", L"docs\\"}));
}

}  // namespace
