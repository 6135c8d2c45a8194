// The journal of the take in progress, in the folder of the recordings: written before the
// capture starts and removed once the take has stopped and been joined, so that one left
// behind means the program did not live to end its take (see take_recovery.h).
#pragma once
#include <string>
#include "take_journal_format.h"

// "My Podcasts\Unpublished", where the recordings and their journals are.
std::wstring TakeJournalFolder();
// This process's journal: "take-<process>-<tick>.journal" in that folder. The tick keeps a
// later process that is given the same ID from writing over a journal still to be recovered.
std::wstring OwnTakeJournalPath();
// What every journal's name matches, for FindFirstFileW.
constexpr wchar_t kTakeJournalPattern[] = L"take-*.journal";
// The temporary file a journal is written to before it is renamed over the journal.
std::wstring TakeJournalTempPath(const std::wstring& journalPath);

// All or nothing: a temporary file beside the journal is written, flushed to the disk and
// renamed over it, so that a journal is never found half-written. false with `error`.
bool WriteTakeJournal(const std::wstring& path, const TakeJournal& journal, std::wstring& error);
// false with `error` when the file cannot be read or is not a whole journal.
bool ReadTakeJournal(const std::wstring& path, TakeJournal& journal, std::wstring& error);

// The recording's hooks, which log each step: before the capture starts, and once the take
// has ended (stopped and joined, or failed to start). A journal that cannot be written does
// not keep the take from starting.
void BeginTakeJournal(const TakeJournal& journal);
// The same journal again, once a spot was placed or removed during the take.
void UpdateTakeJournal(const TakeJournal& journal);
void EndTakeJournal();
// Once a take's join failed: the journal stays for the next start, which offers the join
// again, under a name the next take of this run does not write over.
void KeepTakeJournal();
