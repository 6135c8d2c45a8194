#include "app/history/history_file_api.h"

#include <string>

#include "app/history/shell_recycle.h"

namespace {

constexpr wchar_t kBitBucketKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\BitBucket";
constexpr uint64_t kBytesPerMegabyte = 1ull << 20;

bool ReadDword(HKEY hive, const std::wstring& key, const wchar_t* name, DWORD& value) {
    DWORD size = sizeof value;
    return RegGetValueW(hive, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) == ERROR_SUCCESS;
}

// The user's value first, then the machine's, as the shell reads them.
bool ReadBitBucketDword(const std::wstring& key, const wchar_t* name, DWORD& value) {
    return ReadDword(HKEY_CURRENT_USER, key, name, value) || ReadDword(HKEY_LOCAL_MACHINE, key, name, value);
}

// "{guid}" of the volume mounted at `root`; empty when the system cannot tell.
std::wstring VolumeGuidOf(LPCWSTR root) {
    wchar_t name[64] = L"";
    if (!GetVolumeNameForVolumeMountPointW(root, name, 64)) return L"";
    const std::wstring volume = name;
    const size_t open = volume.find(L'{'), close = volume.find(L'}');
    return open == std::wstring::npos || close == std::wstring::npos ? L"" : volume.substr(open, close - open + 1);
}

uint64_t PercentOfDrive(LPCWSTR root, DWORD percent) {
    ULARGE_INTEGER total{};
    if (!GetDiskFreeSpaceExW(root, nullptr, &total, nullptr)) return 0;
    return total.QuadPart / 100 * percent;
}

// Settings for every drive at once ("UseGlobalSettings"), else the volume's own ("Volume\{guid}",
// its capacity in megabytes), else the drive letter's of older systems (a percentage).
bool WINAPI ReadBinSettings(LPCWSTR root, RecycleBinSettings* settings) {
    const std::wstring global = kBitBucketKey;
    DWORD useGlobal = 0, nuke = 0, amount = 0;
    std::wstring key;
    bool inPercent = true;
    if (ReadBitBucketDword(global, L"UseGlobalSettings", useGlobal) && useGlobal != 0) {
        key = global;
    } else {
        const std::wstring guid = VolumeGuidOf(root);
        if (!guid.empty() && (ReadBitBucketDword(global + L"\\Volume\\" + guid, L"NukeOnDelete", nuke) ||
                              ReadBitBucketDword(global + L"\\Volume\\" + guid, L"MaxCapacity", amount))) {
            key = global + L"\\Volume\\" + guid;
            inPercent = false;
        } else if (root[0] != L'\0' && root[1] == L':') {
            key = global + L"\\" + std::wstring(1, root[0]);
        }
    }
    if (key.empty()) return false;
    const bool hasNuke = ReadBitBucketDword(key, L"NukeOnDelete", nuke);
    const bool hasAmount = ReadBitBucketDword(key, inPercent ? L"Percent" : L"MaxCapacity", amount);
    if (!hasNuke && !hasAmount) return false;
    settings->nukeOnDelete = hasNuke && nuke != 0;
    settings->maxBytes = !hasAmount ? 0 : inPercent ? PercentOfDrive(root, amount) : amount * kBytesPerMegabyte;
    return true;
}

}  // namespace

const HistoryFileApi& SystemHistoryFileApi() {
    static const HistoryFileApi api{MoveFileExW,        DeleteFileW,     GetDriveTypeW,
                                    SHQueryRecycleBinW, ReadBinSettings, ShellRecycle};
    return api;
}
