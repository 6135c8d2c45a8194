// Joins the earlier clip, cut at a frame boundary at or before the cursor, and a new
// recorded part into a third file. An earlier clip whose frames break off before the cursor
// is not joined. Nothing is deleted unless the joined file was written
// whole, flushed and measured; on any failure the partial joined file is removed and both
// sources stay, so no recorded audio is lost.
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

// true: the joined file is complete and both sources are deleted (a source that cannot be
// deleted is only reported in `error`). false: `error` says what failed and why; the joined
// path does not exist and both sources are untouched.
bool JoinClips(const JoinRequest& request, std::wstring& error,
               const JoinFileApi& api = SystemJoinFileApi());
