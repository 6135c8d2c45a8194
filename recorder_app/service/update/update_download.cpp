#include "update_download.h"
#include <windows.h>
#include <algorithm>
#include <stdexcept>
#include "runtime/system_error.h"
#include "update_list.h"
#include "update_verify.h"

namespace {

std::wstring Folder(const std::wstring& appDir) {
    if (!appDir.empty() && appDir.back() != L'\\' && appDir.back() != L'/') return appDir + L"\\";
    return appDir;
}

void StopIfCancelled(const TransferWatch* watch) {
    if (watch->cancelled.load()) throw std::runtime_error("Callback aborted");
}

void WriteWhole(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write the update archive");
    size_t done = 0;
    bool ok = true;
    while (ok && done < bytes.size()) {
        const DWORD piece = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        ok = WriteFile(file, bytes.data() + done, piece, &written, nullptr) && written == piece;
        done += written;
    }
    CloseHandle(file);
    if (!ok) throw std::runtime_error("cannot write the update archive");
}

// The archive is only a step on the way to the unpacked files: however the download ends
// (unpacked, cancelled, a write that failed part-way), it is removed.
class RemovedAtEnd {
public:
    explicit RemovedAtEnd(const std::wstring& path) : m_path(path) {}
    ~RemovedAtEnd() { DeleteFileW(m_path.c_str()); }
    RemovedAtEnd(const RemovedAtEnd&) = delete;
    RemovedAtEnd& operator=(const RemovedAtEnd&) = delete;

private:
    std::wstring m_path;
};

}  // namespace

void DownloadUpdate(const std::wstring& appDir, const std::wstring& location, const SignedOffer& offer,
                    TransferWatch* watch, DownloadedUpdate* update) {
    const std::wstring updates = Folder(appDir) + L"updates";
    const std::wstring archive = updates + L"\\update.zip";
    DiscardUpdateList(updates);
    const RemovedAtEnd removed(archive);
    {
        std::string body;
        HttpGet(location, &body, kMaxArchiveBytes, watch);
        StopIfCancelled(watch);
        // The bytes checked are the bytes written and unpacked.
        VerifyUpdateArchive(body, offer);
        StopIfCancelled(watch);  // checking a large archive takes a moment
        if (CreateDirectoryW(updates.c_str(), nullptr)) update->madeFolder = true;
        WriteWhole(archive, body);
    }  // the archive leaves memory before unpacking
    StopIfCancelled(watch);
    update->unpacked = UnpackArchive(archive, updates, &watch->cancelled);
    StopIfCancelled(watch);
    if (!update->unpacked.Complete()) throw std::runtime_error("the update archive is damaged or empty");
}

void RemoveDownloadedUpdate(const std::wstring& appDir, const DownloadedUpdate& update) {
    const std::wstring updates = Folder(appDir) + L"updates";
    DiscardUpdateList(updates);
    RemoveUnpacked(updates, update.unpacked);
    // Only when emptied: the archive is deleted before this, whatever ended the download.
    if (update.madeFolder) RemoveDirectoryW(updates.c_str());
}

void FinishUpdateList(const std::wstring& appDir, const std::vector<std::wstring>& files) {
    if (!WriteUpdateList(Folder(appDir) + L"updates", WithoutFile(files, L"patcher.exe")))
        throw std::runtime_error("cannot write the list of the update's files");
}

void InstallPatcher(const std::wstring& appDir) {
    const std::wstring folder = Folder(appDir);
    const std::wstring unpacked = folder + L"updates\\patcher.exe";
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(unpacked.c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        const std::wstring installed = folder + found.cFileName;
        // A read-only updater from an earlier update would refuse to be replaced.
        const DWORD attributes = GetFileAttributesW(installed.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
            SetFileAttributesW(installed.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
        if (!CopyFileW(unpacked.c_str(), installed.c_str(), FALSE))
            throw std::runtime_error("cannot update existing file");
    }
    SetFileAttributesW(unpacked.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(unpacked.c_str());
}

bool StartPatcher(const std::wstring& appDir, std::wstring* error) {
    const std::wstring folder = Folder(appDir);
    const std::wstring program = folder + L"patcher.exe";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process)) {
        *error = SystemErrorText(GetLastError());
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}
