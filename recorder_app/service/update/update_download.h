// Fetching and unpacking the update archive, and moving the updater it brings next to the
// program. All paths are below appDir, the program's folder (with or without its trailing
// backslash).
#pragma once
#include <string>
#include "update_transfer.h"

// Downloads the archive at location into memory, writes it to "updates\update.zip", unpacks
// it into "updates" and deletes it. Throws std::runtime_error on a transfer or write failure,
// and when watch was cancelled (then nothing is written).
void DownloadUpdate(const std::wstring& appDir, const std::wstring& location, TransferWatch* watch);

// Copies "updates\patcher.exe" (under the name it has on disk) next to the program, then
// deletes it. Throws std::runtime_error("cannot update existing file") if the copy fails.
void InstallPatcher(const std::wstring& appDir);

// Starts "patcher.exe" from the program's folder, without arguments; its outcome is not
// examined.
void StartPatcher(const std::wstring& appDir);
