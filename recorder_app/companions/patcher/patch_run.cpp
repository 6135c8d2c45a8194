#include "patch_run.h"
#include "runtime/system_error.h"
#include "install_record.h"
#include "program_wait.h"
#include "service/update/update_list.h"
#include "update_files.h"
#include "update_install.h"

namespace {

constexpr wchar_t kRecorderFileName[] = L"recorder.exe";
constexpr wchar_t kCaption[] = L"Quillbank recorder update";

void Tell(const std::wstring& text) {
    MessageBoxW(nullptr, text.c_str(), kCaption, MB_ICONERROR | MB_OK | MB_SETFOREGROUND);
}

std::wstring FailureText(const UpdateInstaller& installer) {
    std::wstring text = L"The update could not be installed: " + installer.FailedFile() + L" could not be replaced (" +
                        SystemErrorText(installer.FailureCode()) + L").\n";
    if (installer.RollbackComplete())
        return text + L"Every file was put back as it was, and the recorder starts again in its previous version.";
    return text + L"Some files could not be put back. The original files are kept in " + installer.BackupFolder() +
           L" and the new ones in the \"updates\" folder.";
}

void StartRecorder(const std::wstring& programFolder, CLogFile* log) {
    std::wstring program = JoinPath(programFolder, kRecorderFileName);
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, programFolder.c_str(),
                        &startup, &process)) {
        log->Print(L"!!! Cannot start %s: %s", program.c_str(), SystemErrorText(GetLastError()).c_str());
        return;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    log->Print(L"Started %s", program.c_str());
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The files the recorder listed once it had unpacked the whole update. Empty, with the reason,
// when the update must not be installed: the list is missing (the unpacking never finished),
// or it names a file that is not there or a place the update may not take.
std::vector<std::wstring> ListedFiles(const std::wstring& updates, std::wstring* refusal) {
    std::vector<std::wstring> files;
    if (!ReadUpdateList(updates, &files)) {
        *refusal = L"it has no list of its files";
        return {};
    }
    for (const std::wstring& file : files) {
        if (!IsContainedRelativePath(file) || IsReservedUpdatePath(file) ||
            CompareStringOrdinal(file.c_str(), -1, kUpdateListName, -1, TRUE) == CSTR_EQUAL) {
            *refusal = L"its list names " + file + L", which is not a place of the program";
            return {};
        }
        if (!IsFile(JoinPath(updates, file))) {
            *refusal = L"its list names " + file + L", which is not there";
            return {};
        }
    }
    return files;
}

}  // namespace

PatchOutcome RunPatcher(const std::wstring& programFolder, CLogFile* log, DWORD recorderTimeoutMs) {
    log->Print(L"Program folder: %s", programFolder.c_str());
    log->Print(L"Waiting for the recorder to end");
    if (!WaitUntilProgramEnds(JoinPath(programFolder, kRecorderFileName), recorderTimeoutMs)) {
        log->Print(L"!!! The recorder did not end within %u s; nothing was changed", recorderTimeoutMs / 1000);
        Tell(L"The Quillbank recorder did not close within " + std::to_wstring(recorderTimeoutMs / 1000) +
             L" seconds, so the update was not installed.\nClose the recorder and start it again to retry the update.");
        return PatchOutcome::RecorderStuck;
    }

    const std::wstring updates = JoinPath(programFolder, kUpdatesFolderName);
    std::wstring refusal;
    const std::vector<std::wstring> files = ListedFiles(updates, &refusal);
    if (!refusal.empty()) {
        log->Print(L"!!! The update is incomplete and was not installed: %s", refusal.c_str());
        // The recorder promised that its restart completes the update; without a word the user
        // would find the old version and be offered the same update again.
        Tell(L"The update could not be installed: " + refusal +
             L".\nNothing was changed, and the recorder starts again in its previous version.");
        StartRecorder(programFolder, log);
        return PatchOutcome::Refused;
    }
    log->Print(L"Files in the update: %u", static_cast<unsigned>(files.size()));
    UpdateInstaller installer(programFolder, log);
    const bool installed = installer.Install(files);
    if (installed) {
        DiscardUpdateList(updates);
        if (!AppendToInstallRecord(programFolder, files, installer.CreatedFolders()))
            log->Print(L"!!! Cannot add the update's files to %s: %s", kInstallRecordName,
                       SystemErrorText(GetLastError()).c_str());
        log->Print(L"Update installed");
    } else {
        Tell(FailureText(installer));
    }
    StartRecorder(programFolder, log);
    return installed ? PatchOutcome::Installed : PatchOutcome::RolledBack;
}
