// Unpacking the update archive into a folder.
#pragma once
#include <atomic>
#include <string>
#include <vector>

struct UnpackSummary {
    int entries = 0;   // as the archive's directory announces them
    int written = 0;   // files and folders made
    int refused = 0;   // names that would lead outside the folder, or that Windows cannot take
    int failed = 0;    // entries that could not be read or written whole, or whose checksum is wrong
    bool cancelled = false;
    // The files written whole, relative to the base folder, each once, in the archive's order.
    std::vector<std::wstring> files;
    // What the unpacking put where there was nothing before, relative to the base folder, in
    // the order made: RemoveUnpacked takes exactly these away again.
    std::vector<std::wstring> madeFiles;
    std::vector<std::wstring> madeFolders;

    // The archive holds at least one entry and every one of them is in place: anything less
    // is not the update its maker packed.
    bool Complete() const { return entries > 0 && written == entries && !cancelled; }
};

// Unpacks every entry of the archive into baseFolder (which must exist), in the archive's
// order, with the entries' attributes and times. An entry that cannot be written whole, or
// whose data does not match its checksum, leaves no file behind; the other entries are still
// unpacked. Once *cancelled is set, no further entry is begun. Nothing is ever written outside
// baseFolder. Never throws.
UnpackSummary UnpackArchive(const std::wstring& archivePath, const std::wstring& baseFolder,
                            const std::atomic<bool>* cancelled = nullptr);

// Removes the files and folders the unpacking made in baseFolder (a folder only when it is
// empty by then); what was there before stays, under its own name, even where an entry
// replaced its content. For an update that does not go ahead, whose files nothing would
// install or remove. Never throws.
void RemoveUnpacked(const std::wstring& baseFolder, const UnpackSummary& summary);
