// The take journal: what a recording in progress needs to be finished after the program was
// killed, crashed or lost its power. Its bytes and their parsing. Pure logic, no Win32, so
// that the parser builds natively for the sanitizers and the fuzzer.
//
// The file is UTF-16LE text without a byte-order mark, lines ending in a bare line feed:
//     Quillbank recorder take journal 1
//     part=<the take's new file>
//     earlier=<the clip the take continues>    only when it continues one,
//     cut=<the cursor in that clip, ms>         together with earlier=
//     spots=<ms> <ms> ...                       the spots before the take, ascending
//     take-spots=<ms> <ms> ...                  the spots as they stand, once one was
//                                               placed or removed during the take
//     end
// The closing "end" tells a whole journal from one cut short.
#pragma once
#include <cstdint>
#include <string>
#include "app/command_rules/spot_rules.h"

struct TakeJournal {
    std::wstring part;
    std::wstring earlier;  // empty: the take began a fresh clip
    uint32_t cutMs = 0;    // where the take continues `earlier`
    SpotSet spots;         // as they were before the take began
    bool spotsChanged = false;  // during the take, to these:
    SpotSet takeSpots;

    bool ContinuesClip() const { return !earlier.empty(); }
    bool operator==(const TakeJournal& other) const {
        return part == other.part && earlier == other.earlier && cutMs == other.cutMs && spots == other.spots &&
               spotsChanged == other.spotsChanged && takeSpots == other.takeSpots;
    }
};

// Larger than any journal this program writes (two paths and at most a few dozen spots).
constexpr size_t kMaxTakeJournalBytes = 64 * 1024;

std::string EncodeTakeJournal(const TakeJournal& journal);
// false with `why` set when the bytes are not a whole journal exactly as EncodeTakeJournal
// writes one: cut short, a line unknown, repeated or out of place, a number out of range or
// with a leading zero, spots out of order, a path with a control character.
bool DecodeTakeJournal(const std::string& bytes, TakeJournal& journal, std::wstring& why);
