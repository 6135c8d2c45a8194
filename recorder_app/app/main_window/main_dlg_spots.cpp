// The Set Adv. Spot command, the button's face as the cursor moves, and the side file that
// keeps the spots beside a saved clip.
#include "main_dlg.h"
#include "runtime/log_file.h"

namespace {

// A side file holds a few values; anything far larger is not one of ours.
constexpr DWORD kMaxSideFileBytes = 1 << 20;

std::wstring SideFilePath(const std::wstring& clipPath) {
    return clipPath + L".ads";
}

}  // namespace

bool CMainDlg::FindSpotAt(uint32_t position, uint32_t& spot) const {
    return spots::SpotAt(m_spots, position, spots::HitTolerance(m_timeLine.GetPixelsPerSecond()), spot);
}

bool CMainDlg::ShowSpotFace(bool onSpot) {
    if (onSpot) {
        m_btnAdvSpot.SetToolTipText(L"Remove advertising spot");
        return m_btnAdvSpot.SetImages(4, 6, 5, 7);
    }
    m_btnAdvSpot.SetToolTipText(L"Place advertising spot");
    return m_btnAdvSpot.SetImages(0, 2, 1, 3);
}

void CMainDlg::ShowSpots() {
    m_timeLine.SetSpots(m_spots);
    m_timeLine.RedrawNow();
}

LRESULT CMainDlg::OnAdvSpot(WORD, WORD, HWND, BOOL&) {
    ClipState before = CurrentState();
    const uint32_t* cursorAfter = nullptr;
    uint32_t snapped = 0;
    const uint32_t position = m_timeLine.GetPosition();
    uint32_t spot = 0;
    if (FindSpotAt(position, spot)) {
        g_log.Print(L"Removing adv spot from position %d ms", static_cast<int>(position));
        m_spots.erase(spot);
        ShowSpots();
        ShowSpotFace(false);
    } else {
        g_log.Print(L"Trying to set adv spot in position %d ms", static_cast<int>(position));
        const bool snap = SnapSpot(position, snapped);
        if (snap) {
            g_log.Print(L"Adv spot moved from %d ms to %d ms, the middle of a pause",
                        static_cast<int>(position), static_cast<int>(snapped));
        }
        const spots::Placement check = snap ? spots::Placement{}
                                            : spots::CheckPlacement(m_spots, position, m_timeLine.GetLength());
        wchar_t text[1024];
        switch (check.verdict) {
        case spots::Placement::kTooLate:
            g_log.Print(L"Spots distribution violation: user should set #%d spot in the range of 0-%d minutes.",
                        static_cast<int>(check.number), static_cast<int>(check.latestMinute));
            swprintf(text, 1024,
                     L"Sorry, you should set the #%d advertising point in the range of 0-%d minutes.\n"
                     L"Please, read the documentation for more information.",
                     static_cast<int>(check.number), static_cast<int>(check.latestMinute));
            MessageBoxW(m_hWnd, text, L"", MB_ICONWARNING);
            return 0;
        case spots::Placement::kTooMany:
            g_log.Print(L"Max number of spots encountered. max spots = %d for this clip size (%d minutes)",
                        static_cast<int>(check.maxSpots), static_cast<int>(check.clipMinutes));
            swprintf(text, 1024,
                     L"Sorry, but your clip is limited to maximum of %d advertising spot(s).\n"
                     L"Please, refer to the documentation for more information.",
                     static_cast<int>(check.maxSpots));
            MessageBoxW(m_hWnd, text, L"", MB_ICONWARNING);
            return 0;
        case spots::Placement::kAllowed:
            break;
        }
        m_spots.insert(snap ? snapped : position);
        ShowSpots();
        ShowSpotFace(true);
        // While a take or playback runs the cursor is theirs.
        if (snap && m_mode == kModeIdle) m_timeLine.SetPosition(static_cast<int32_t>(snapped));
        // Undo and Redo of a snapped spot show it under the cursor, not where the button was
        // pressed (or, while playing, where the playback had gone on to).
        if (snap) {
            before.cursor = snapped;
            cursorAfter = &snapped;
        }
    }
    // A spot placed during a take is part of the take's step; a take cut short keeps it.
    if (m_mode == kModeRecording) JournalSpotsOfTake();
    else RecordStep(StepKind::kSpot, before, cursorAfter);
    m_btnAdvSpot.RedrawNow();
    return 0;
}

LRESULT CMainDlg::OnPositionChanged(UINT, WPARAM, LPARAM lParam, BOOL&) {
    uint32_t spot = 0;
    // Every tick of a recording or playback posts the position: the face is redrawn only
    // when it changes.
    if (ShowSpotFace(FindSpotAt(static_cast<uint32_t>(lParam), spot))) m_btnAdvSpot.RedrawNow();
    return 0;
}

// The side file always describes the clip just saved: without spots, a side file left there
// by an earlier save would bring someone else's spots back when the clip is opened.
void CMainDlg::WriteSideFile(const std::wstring& clipPath) {
    const std::wstring path = SideFilePath(clipPath);
    if (m_spots.empty()) {
        if (DeleteFileW(path.c_str())) g_log.Print(L"Removed stale ad spots file %s", path.c_str());
        return;
    }
    g_log.Print(L"Writing ad spots to file %s", path.c_str());
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;  // the clip itself is saved; spots are extra
    const std::string bytes = spots::SideFileBytes(m_spots);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

void CMainDlg::ReadSideFile(const std::wstring& clipPath) {
    const std::wstring path = SideFilePath(clipPath);
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        g_log.Print(L"Found adv-spots file %s, loading it", path.c_str());
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            std::string bytes(kMaxSideFileBytes, '\0');
            DWORD got = 0;
            if (ReadFile(file, &bytes[0], kMaxSideFileBytes, &got, nullptr)) {
                bytes.resize(got);
                for (uint32_t spot : spots::ParseSideFile(bytes)) m_spots.insert(spot);
            }
            CloseHandle(file);
        }
    }
    ShowSpots();
}
