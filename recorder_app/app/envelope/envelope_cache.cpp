#include "app/envelope/envelope_cache.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "runtime/folders.h"

namespace envelope_cache {

namespace {

constexpr char kMagic[4] = {'Q', 'B', 'L', 'V'};
constexpr uint32_t kFormat = 1;
constexpr DWORD kDigestBytes = 64 * 1024;
// Two hours and a margin: a larger count is not one of ours.
constexpr uint32_t kMostBlocks = 3 * 3600 * levels::kBlocksPerSecond;

#pragma pack(push, 1)
struct Identity {
    uint32_t volume = 0;
    uint32_t indexHigh = 0, indexLow = 0;
    uint64_t size = 0;
    uint64_t lastWrite = 0;
    uint64_t digest = 0;
};
struct Header {
    char magic[4];
    uint32_t format;
    Identity identity;
    uint32_t blocks;
};
#pragma pack(pop)

uint64_t Fnv1a(uint64_t hash, const void* data, size_t size) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 0x100000001B3ull;
    return hash;
}

bool ReadAt(HANDLE file, uint64_t offset, std::vector<uint8_t>& bytes, DWORD count) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) return false;
    bytes.resize(count);
    DWORD got = 0;
    if (!ReadFile(file, bytes.data(), count, &got, nullptr)) return false;
    bytes.resize(got);
    return true;
}

bool IdentityOf(const std::wstring& clip, Identity& id) {
    HANDLE file = CreateFileW(clip.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    bool ok = GetFileInformationByHandle(file, &info) != 0;
    if (ok) {
        id.volume = info.dwVolumeSerialNumber;
        id.indexHigh = info.nFileIndexHigh;
        id.indexLow = info.nFileIndexLow;
        id.size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
        id.lastWrite = (static_cast<uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                       info.ftLastWriteTime.dwLowDateTime;
        // A change that keeps size and time (a copy over it that kept the date) still shows
        // at the head or the tail of an MP3: the tags, the first frames, the last ones.
        std::vector<uint8_t> bytes;
        uint64_t digest = 0xCBF29CE484222325ull;
        ok = ReadAt(file, 0, bytes, kDigestBytes);
        digest = Fnv1a(digest, bytes.data(), bytes.size());
        if (ok && id.size > kDigestBytes) {
            ok = ReadAt(file, id.size - kDigestBytes, bytes, kDigestBytes);
            digest = Fnv1a(digest, bytes.data(), bytes.size());
        }
        id.digest = digest;
    }
    CloseHandle(file);
    return ok;
}

std::wstring Folder() {
    const std::wstring local = LocalAppDataFolder();
    if (local.empty()) return local;
    return local + L"\\Quillbank Recorder\\Levels";
}

std::wstring EntryPath(const Identity& id) {
    const std::wstring folder = Folder();
    if (folder.empty()) return folder;
    wchar_t name[40];
    swprintf(name, 40, L"%016llx.levels", static_cast<unsigned long long>(Fnv1a(0xCBF29CE484222325ull, &id, sizeof id)));
    return folder + L"\\" + name;
}

void Renew(HANDLE file) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    SetFileTime(file, nullptr, nullptr, &now);
}

}  // namespace

bool Load(const std::wstring& clip, levels::Codes& codes) {
    Identity id;
    if (!IdentityOf(clip, id)) return false;
    const std::wstring path = EntryPath(id);
    if (path.empty()) return false;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    Header header{};
    DWORD got = 0;
    bool ok = ReadFile(file, &header, sizeof header, &got, nullptr) && got == sizeof header &&
              std::memcmp(header.magic, kMagic, 4) == 0 && header.format == kFormat &&
              std::memcmp(&header.identity, &id, sizeof id) == 0 && header.blocks != 0 &&
              header.blocks <= kMostBlocks;
    if (ok) {
        levels::Codes read(header.blocks);
        ok = ReadFile(file, read.data(), header.blocks, &got, nullptr) && got == header.blocks;
        if (ok) {
            codes.swap(read);
            Renew(file);
        }
    }
    CloseHandle(file);
    return ok;
}

void Save(const std::wstring& clip, const levels::Codes& codes) {
    Identity id;
    // No levels are never a clip's complete levels: a clip of unknown length has them.
    if (codes.empty() || codes.size() > kMostBlocks || !IdentityOf(clip, id)) return;
    const std::wstring path = EntryPath(id);
    if (path.empty()) return;
    const std::wstring folder = Folder();
    CreateDirectoryW(folder.substr(0, folder.rfind(L'\\')).c_str(), nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
    // Written under a name of its own and then moved over, so that a reader never finds
    // half an entry.
    const std::wstring partial = path + L".part";
    HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    Header header{};
    std::memcpy(header.magic, kMagic, 4);
    header.format = kFormat;
    header.identity = id;
    header.blocks = static_cast<uint32_t>(codes.size());
    DWORD wrote = 0, wroteCodes = 0;
    const bool ok = WriteFile(file, &header, sizeof header, &wrote, nullptr) && wrote == sizeof header &&
                    WriteFile(file, codes.data(), header.blocks, &wroteCodes, nullptr) && wroteCodes == header.blocks;
    CloseHandle(file);
    if (!ok || !MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) DeleteFileW(partial.c_str());
}

void Prune() {
    const std::wstring folder = Folder();
    if (folder.empty()) return;
    FILETIME nowTime;
    GetSystemTimeAsFileTime(&nowTime);
    const uint64_t now = (static_cast<uint64_t>(nowTime.dwHighDateTime) << 32) | nowTime.dwLowDateTime;
    const uint64_t keep = static_cast<uint64_t>(kKeepDays) * 24 * 3600 * 10000000ull;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*.levels*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const uint64_t written = (static_cast<uint64_t>(found.ftLastWriteTime.dwHighDateTime) << 32) |
                                 found.ftLastWriteTime.dwLowDateTime;
        if (now > written && now - written > keep) DeleteFileW((folder + L"\\" + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace envelope_cache
