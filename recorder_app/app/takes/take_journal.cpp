#include "take_journal.h"
#include <windows.h>
#include "clip_names.h"
#include "runtime/folders.h"
#include "runtime/log_file.h"
#include "runtime/system_error.h"

namespace {

std::wstring WithReason(const std::wstring& what) {
    return what + L": " + SystemErrorText(GetLastError());
}

}  // namespace

std::wstring TakeJournalFolder() {
    return RecordingsFolder();
}

std::wstring OwnTakeJournalPath() {
    static const std::wstring name =
        L"take-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount()) + L".journal";
    return InFolder(TakeJournalFolder(), name);
}

std::wstring TakeJournalTempPath(const std::wstring& journalPath) {
    return journalPath + L".tmp";
}

bool WriteTakeJournal(const std::wstring& path, const TakeJournal& journal, std::wstring& error) {
    const std::string bytes = EncodeTakeJournal(journal);
    const std::wstring temp = TakeJournalTempPath(path);
    HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = WithReason(L"cannot create " + temp);
        return false;
    }
    DWORD written = 0;
    const bool whole = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                       written == bytes.size();
    if (!whole) error = WithReason(L"cannot write " + temp);
    const bool flushed = whole && FlushFileBuffers(file);
    if (whole && !flushed) error = WithReason(L"cannot flush " + temp);
    CloseHandle(file);
    if (flushed && MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    if (flushed) error = WithReason(L"cannot rename " + temp + L" to " + path);
    DeleteFileW(temp.c_str());
    return false;
}

bool ReadTakeJournal(const std::wstring& path, TakeJournal& journal, std::wstring& error) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = WithReason(L"cannot open it");
        return false;
    }
    // One byte more than a journal may hold, so that a larger file is seen as one.
    std::string bytes(kMaxTakeJournalBytes + 1, '\0');
    DWORD got = 0;
    const bool read = ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr) != FALSE;
    if (!read) error = WithReason(L"cannot read it");
    CloseHandle(file);
    if (!read) return false;
    bytes.resize(got);
    std::wstring why;
    if (DecodeTakeJournal(bytes, journal, why)) return true;
    error = L"damaged: " + why;
    return false;
}

void BeginTakeJournal(const TakeJournal& journal) {
    if (TakeJournalFolder().empty()) {
        g_log.Print(L"!!! Take journal could not be written, the take goes on without it: no documents folder");
        return;
    }
    const std::wstring path = OwnTakeJournalPath();
    std::wstring error;
    if (WriteTakeJournal(path, journal, error)) g_log.Print(L"Take journal written: %s", path.c_str());
    else g_log.Print(L"!!! Take journal could not be written, the take goes on without it: %s", error.c_str());
}

void UpdateTakeJournal(const TakeJournal& journal) {
    if (TakeJournalFolder().empty()) return;
    std::wstring error;
    if (WriteTakeJournal(OwnTakeJournalPath(), journal, error)) g_log.Print(L"Take journal updated with the spots");
    else g_log.Print(L"!!! Take journal could not be updated with the spots: %s", error.c_str());
}

void EndTakeJournal() {
    if (TakeJournalFolder().empty()) return;
    const std::wstring path = OwnTakeJournalPath();
    if (DeleteFileW(path.c_str())) g_log.Print(L"Take journal removed");
    else if (GetLastError() != ERROR_FILE_NOT_FOUND)
        g_log.Print(L"!!! Take journal could not be removed: %s", WithReason(path).c_str());
}

// Renamed rather than left under this process's name, which the next take of this run
// writes again.
void KeepTakeJournal() {
    if (TakeJournalFolder().empty()) return;
    const std::wstring path = OwnTakeJournalPath();
    const std::wstring stem = path.substr(0, path.size() - std::wstring(L".journal").size());
    for (int n = 1; n < 1000; ++n) {
        const std::wstring kept = stem + L"-kept" + std::to_wstring(n) + L".journal";
        if (MoveFileExW(path.c_str(), kept.c_str(), MOVEFILE_WRITE_THROUGH)) {
            g_log.Print(L"Take journal kept for the next start: %s", kept.c_str());
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    g_log.Print(L"!!! Take journal could not be kept: %s", WithReason(path).c_str());
}
