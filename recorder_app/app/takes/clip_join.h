// Joins the earlier clip, cut at a frame boundary at or before the cursor, and a new
// recorded part into a third file. An earlier clip whose frames break off before the cursor
// is not joined. The sources are left where they are, for the caller to keep for Undo or
// dispose of once the joined file was written whole, flushed and measured; on any failure
// the partial joined file is removed, so no recorded audio is lost.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

// The file calls that can fail halfway (a full disk), so that tests can provoke them.
struct JoinFileApi {
    BOOL(WINAPI* writeFile)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
};
const JoinFileApi& SystemJoinFileApi();

struct JoinRequest {
    std::wstring earlier;      // the clip the recording continued
    uint64_t cutAtMostBytes;   // the cursor's byte offset in it
    std::wstring part;         // the new recording
    std::wstring joined;       // created; the join fails if a file of that name exists
};

// true: the joined file is complete. false: `error` says what failed and why, and
// `earlierDamaged` (when given) whether the earlier clip breaks off before the cursor, which
// no later try can mend; the joined path does not exist. The sources are untouched either way.
bool JoinClips(const JoinRequest& request, std::wstring& error,
               const JoinFileApi& api = SystemJoinFileApi(), bool* earlierDamaged = nullptr);
