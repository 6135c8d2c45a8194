// Fetching and unpacking the update archive, and moving the updater it brings next to the
// program. All paths are below appDir, the program's folder (with or without its trailing
// backslash).
#pragma once
#include <string>
#include <vector>
#include "unpack.h"
#include "update_reply.h"
#include "update_transfer.h"

// What a download put into "updates", so that an update that does not go ahead (refused,
// cancelled, failed) can take it away again.
struct DownloadedUpdate {
    bool madeFolder = false;  // "updates" itself was not there before
    UnpackSummary unpacked;   // its files are the ones for the updater
};

// Downloads the archive at location into memory, checks it with the offered version against
// the reply's signature of the two, writes it to "updates\update.zip", unpacks it into
// "updates" and deletes it; *update tells what it made as it goes, also when it throws.
// Throws std::runtime_error on a transfer or write failure, for an update the check refuses
// (then nothing is written), when the archive is not a whole archive of at least one entry
// (an error page, a body cut short, a damaged entry), and when watch was cancelled (then
// nothing more is written). The list of an earlier download goes first.
void DownloadUpdate(const std::wstring& appDir, const std::wstring& location, const SignedOffer& offer,
                    TransferWatch* watch, DownloadedUpdate* update);

// Takes away what the download made in "updates", and the list of the update's files: a
// partial or refused update that stayed would be nobody's to install or to remove. Files
// that were there before stay. Never throws.
void RemoveDownloadedUpdate(const std::wstring& appDir, const DownloadedUpdate& update);

// The last step of a download: the list of the files for the updater, without the updater
// itself, which InstallPatcher has moved. Throws std::runtime_error if it cannot be written.
void FinishUpdateList(const std::wstring& appDir, const std::vector<std::wstring>& files);

// Copies "updates\patcher.exe" (under the name it has on disk) next to the program, then
// deletes it. Throws std::runtime_error("cannot update existing file") if the copy fails.
void InstallPatcher(const std::wstring& appDir);

// Starts "patcher.exe" from the program's folder, without arguments, and leaves it running.
// False, with the system's text of the reason in error, when it cannot be started.
bool StartPatcher(const std::wstring& appDir, std::wstring* error);
