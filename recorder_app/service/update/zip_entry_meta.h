// What an archive entry says about the file it makes: its Windows attributes and the times
// of its extended-timestamp field. Pure, tested and fuzzed without Windows.
#pragma once
#include <cstddef>
#include <cstdint>

// Windows file attribute bits (the values of FILE_ATTRIBUTE_*).
constexpr uint32_t kAttrReadOnly = 0x01;
constexpr uint32_t kAttrHidden = 0x02;
constexpr uint32_t kAttrSystem = 0x04;
constexpr uint32_t kAttrFolder = 0x10;
constexpr uint32_t kAttrArchive = 0x20;

// versionMadeBy carries the host system in its high byte. DOS-like hosts (FAT, NTFS, VFAT and
// the like) keep the DOS attribute bits in the low byte of the external attributes; the others
// keep Unix mode bits in the high half, of which only "owner may write" and "folder" matter.
uint32_t EntryAttributes(uint32_t versionMadeBy, uint32_t externalAttributes);

// Times of the extended-timestamp ("UT") block of an entry's local extra field, as Unix
// seconds; a flag tells which were present.
struct ExtendedTimes {
    bool hasModified = false, hasAccessed = false, hasCreated = false;
    int32_t modified = 0, accessed = 0, created = 0;
};

// Looks for the block among the extra field's tagged blocks. False when there is none (or
// the field is no longer than 4 bytes); a block cut short gives the times that fit.
bool FindExtendedTimes(const uint8_t* extra, size_t size, ExtendedTimes* times);

// A Unix time as a Windows file time (100 ns units since 1601).
uint64_t UnixToFileTime(int32_t seconds);
