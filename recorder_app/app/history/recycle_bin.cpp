#include "app/history/recycle_bin.h"

#include "runtime/log_file.h"
#include "runtime/system_error.h"

namespace {

// Why a file would not be kept by the Recycle Bin, as the log line says it; null: it would.
// The shell deletes outright where it cannot keep a file and reports success either way, so
// the drive is asked first: fixed drives keep a bin, removable and network drives do not, and
// a bin may be switched off or too small for the file.
const wchar_t* WhyNotKept(const std::wstring& path, const HistoryFileApi& api) {
    constexpr const wchar_t* kNoBin = L"Deleted (its drive has no Recycle Bin): %s";
    wchar_t root[MAX_PATH] = L"";
    if (!GetVolumePathNameW(path.c_str(), root, MAX_PATH) || api.driveType(root) != DRIVE_FIXED) return kNoBin;
    SHQUERYRBINFO info{};
    info.cbSize = sizeof info;
    if (FAILED(api.queryRecycleBin(root, &info))) return kNoBin;
    RecycleBinSettings settings;
    if (!api.binSettings(root, &settings)) return nullptr;
    if (settings.nukeOnDelete) return L"Deleted (its drive's Recycle Bin is switched off): %s";
    WIN32_FILE_ATTRIBUTE_DATA data{};
    const uint64_t size = GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)
                              ? (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow
                              : 0;
    if (settings.maxBytes != 0 && size > settings.maxBytes)
        return L"Deleted (too large for its drive's Recycle Bin): %s";
    return nullptr;
}

}  // namespace

bool RecycleClip(const std::wstring& path, const HistoryFileApi& api) {
    if (const wchar_t* line = WhyNotKept(path, api)) {
        if (api.deleteFile(path.c_str())) {
            g_log.Print(line, path.c_str());
            return true;
        }
        g_log.Print(L"!!! cannot delete %s: %s", path.c_str(), SystemErrorText(GetLastError()).c_str());
        return false;
    }
    switch (api.recycle(path.c_str())) {
    case RecycleReport::kInBin:
        g_log.Print(L"Moved to the Recycle Bin: %s", path.c_str());
        return true;
    case RecycleReport::kDeleted:
        g_log.Print(L"Deleted (its drive's Recycle Bin did not keep it): %s", path.c_str());
        return true;
    case RecycleReport::kUnconfirmed:
        g_log.Print(L"Removed (the shell does not say whether to the Recycle Bin): %s", path.c_str());
        return true;
    case RecycleReport::kFailed:
        break;
    }
    g_log.Print(L"!!! cannot move %s to the Recycle Bin", path.c_str());
    return false;
}
