// The levels of the current clip, which the time line draws as its envelope and the spot
// command searches for pauses. They come from the recorder while a take runs (the PCM it
// already has), from the cache for a clip measured before, and otherwise from a scan on a
// thread of its own. Every change of the current clip goes through ShowClip or EndTake, which
// end a running scan first: a scan's results are taken only for the clip it measures.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "audio/levels/level_scan.h"
#include "audio/levels/level_series.h"

class CTimeLineCtrl;

// Posted by a running scan to the window that shows its results.
constexpr UINT WM_LEVELS_MEASURED = WM_APP + 6;

class ClipEnvelope {
public:
    // `message` is posted to `owner` as a scan measures; the owner hands it to OnScanMessage.
    void Attach(HWND owner, UINT message, CTimeLineCtrl* line);

    // The current clip is now `clip` (empty: none), `lengthMs` long. Its levels are taken
    // from the cache, else measured from the view's start on. `continued` and `cutMs` name
    // the clip whose levels lead up to `cutMs` in this one (a restored take), when known.
    void ShowClip(const std::wstring& clip, uint32_t lengthMs, const std::wstring& continued = L"",
                  uint32_t cutMs = 0);
    // A take begins at `startMs` of the current clip (0: a new clip); the levels after it go.
    void BeginTake(uint32_t startMs);
    // The blocks measured since the last tick, drawn as the take grows.
    void TakeTick();
    // The take is over and `clip` holds it with what it continued: its levels are kept.
    void EndTake(const std::wstring& clip, uint32_t lengthMs);
    // The current clip was made `db` louder (negative: quieter) into `clip`.
    void Shifted(const std::wstring& clip, double db);
    // The current clip was cut into `clip`, whose levels are `codes` as far as they are
    // known; the rest is measured, and the levels are kept once they are complete.
    void Edited(const std::wstring& clip, levels::Codes codes);

    // Takes a scan's results, and tells it where the view now starts, so that what shows
    // is measured first.
    void OnScanMessage(WPARAM tag);
    // Ends a running scan and closes its file.
    void StopScan();

    const levels::Codes& Codes() const { return m_codes; }
    // Whether a scan still measures the clip, or has results on their way.
    bool Scanning() const { return m_scan.Started(); }

private:
    // Measures what `seed` leaves unknown of `clip`.
    void Measure(const std::wstring& clip, levels::Codes seed);
    void Show(uint32_t firstBlock, uint32_t endBlock);
    void ShowAll();

    HWND m_owner = nullptr;
    UINT m_message = 0;
    CTimeLineCtrl* m_line = nullptr;
    std::wstring m_clip;
    levels::Codes m_codes;
    LevelScan m_scan;
    WPARAM m_scanTag = 0;  // the tag of the scan whose results are taken
    uint32_t m_takeStartBlock = 0;
};
