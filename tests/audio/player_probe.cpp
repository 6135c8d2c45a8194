// player_probe: plays a range of a clip with the clip player, for player_sound_test.sh.
//   player_probe FILE START_MS END_MS
// Prints "rate=N half=0|1" and "playing" once playback runs, then "state=N" when it is over
// (3 after the range ended). Exit status 0 when the playback started and ended by itself.
#include "audio/playback/clip_player.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: player_probe FILE START_MS END_MS\n");
        return 2;
    }
    std::wstring path = argv[1];
    if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
    const uint32_t start = static_cast<uint32_t>(std::wcstoul(argv[2], nullptr, 10));
    const uint32_t end = static_cast<uint32_t>(std::wcstoul(argv[3], nullptr, 10));

    ClipPlayer player;
    if (!player.PlayRange(path.c_str(), start, end)) {
        std::fprintf(stderr, "PlayRange failed, state %d\n", player.GetState());
        return 1;
    }
    std::printf("rate=%u half=%d\nplaying\n", player.Params().outputSampleRate,
                player.HalfRate() ? 1 : 0);
    std::fflush(stdout);
    const DWORD limit = GetTickCount() + 60000;
    while (player.GetState() == ClipPlayer::kPlaying && GetTickCount() < limit) Sleep(20);
    const int state = player.GetState();
    std::printf("state=%d\n", state);
    return state == ClipPlayer::kEnded ? 0 : 1;
}
