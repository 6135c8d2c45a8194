// Which running program a history folder belongs to, so that the sweep after a crash takes
// only the folders of instances that are gone, in any session: the folder's name carries its
// owner's process id and start time (".history-<pid>-<start>"; a process id alone may be used
// again by another program), and the owner holds a lock file in it open without sharing.
#pragma once
#include <windows.h>
#include <string>

constexpr wchar_t kHistoryFolderPrefix[] = L".history-";
constexpr wchar_t kHistoryLockName[] = L"owner.lock";

// This process's folder name.
std::wstring OwnHistoryFolderName();
// Takes the folder's lock, which goes when the handle is closed or the process ends;
// INVALID_HANDLE_VALUE while another process holds it.
HANDLE LockHistoryFolder(const std::wstring& folder);
// Whether the process named by a history folder's name still runs (this one included), or
// cannot be told gone; a name of another form is not ours to judge and counts as running.
// Folders of earlier versions are named ".history-<pid>": theirs runs while the id does.
bool HistoryOwnerRuns(const std::wstring& folderName);
