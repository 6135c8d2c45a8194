// A take that cannot go on: its file cannot be written (a full or removed disk) or its
// recording device has gone (an unplugged microphone). Talking on into nothing would lose
// all of it, so the take ends as Record would end it and the user is told why and where.
#include <windows.h>
#include <mmsystem.h>
#include <algorithm>
#include "app/takes/faulted_take.h"
#include "audio/capture/sound_recorder.h"
#include "controls/time_text.h"
#include "main_dlg.h"
#include "runtime/log_file.h"
#include "runtime/system_error.h"

namespace {

std::wstring DeviceErrorText(const RecorderFault& fault) {
    if (fault.code == MMSYSERR_NOERROR)
        return L"No sound has come from it for " + std::to_wstring(fault.silentMs / 1000) + L" seconds.";
    const MMRESULT code = static_cast<MMRESULT>(fault.code);
    wchar_t text[MAXERRORLENGTH] = L"";
    if (waveInGetErrorTextW(code, text, MAXERRORLENGTH) != MMSYSERR_NOERROR || text[0] == L'\0')
        return L"error " + std::to_wstring(code);
    return text;
}

}  // namespace

void CMainDlg::EndTakeOnFault(const RecorderFault& fault, unsigned reachedMs) {
    const bool device = fault.kind == RecorderFault::kDeviceLost;
    // Judged once the recorder has stopped: the frames the encoder still held are in the
    // part then. What the part holds shows where the sound ends; without its size, the time
    // the take ran less any time the device was silent.
    const bool stopped = StopRecorder();
    WIN32_FILE_ATTRIBUTE_DATA part;
    const uint64_t partBytes =
        GetFileAttributesExW(m_clipPath.c_str(), GetFileExInfoStandard, &part)
            ? static_cast<uint64_t>(part.nFileSizeHigh) << 32 | part.nFileSizeLow
            : kUnknownPartSize;
    const FaultedTake take = JudgeFaultedTake(partBytes, static_cast<unsigned>(m_startPos), reachedMs,
                                              static_cast<unsigned>(fault.silentMs), !m_prevPartPath.empty());
    const std::wstring reached = controls::RulerLabel(take.reachedMs);
    const std::wstring reason = device ? DeviceErrorText(fault) : SystemErrorText(fault.code);
    if (device)
        g_log.Print(L"!!! Recording stopped at %s: the recording device is gone: %s", reached.c_str(), reason.c_str());
    else
        g_log.Print(L"!!! Recording stopped at %s: the file could not be written: %s", reached.c_str(), reason.c_str());
    FinishTake(stopped, take.leftOut ? TakeEnd::kDiscardPart : TakeEnd::kKeep);
    const std::wstring text =
        L"The recording stopped at " + reached +
        (device ? L" because the recording device is no longer available:\n"
                : L" because the file could not be written:\n") +
        reason +
        (take.leftOut ? L"\n\nLess than a second was recorded, so the clip was left as it was before the recording."
                      : L"\n\nEverything recorded until then is kept.");
    MessageBoxW(m_hWnd, text.c_str(), L"Error", MB_ICONERROR);
}
