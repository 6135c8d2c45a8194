// The recording device: chosen in the system menu's "Microphone" submenu, remembered by its
// endpoint's identity and its name (device ids change as devices come and go), and opened by
// the level listener and by the recorder. The recorder never falls back to another device
// unasked, since a recording from the wrong microphone is only noticed when listening; the
// meter does, so that it keeps showing a level.
#include "app/microphone/microphone_menu.h"
#include "audio/capture/capture_devices.h"
#include "audio/capture/device_match.h"
#include "audio/capture/level_listener.h"
#include "main_dlg.h"
#include "main_dlg_timers.h"
#include "runtime/log_file.h"
#include "settings/settings.h"

namespace {

constexpr WORD kListenerChannels = 1;
constexpr DWORD kListenerSampleRate = 44100;
constexpr wchar_t kSystemDefault[] = L"System default";

// The default as the log names it: which device the system records from is worth knowing
// when a take turns out to come from the wrong microphone.
std::wstring DefaultDeviceDescription() {
    const std::wstring name = DefaultCaptureDeviceName();
    return name.empty() ? std::wstring(kSystemDefault) : std::wstring(kSystemDefault) + L" (" + name + L")";
}

}  // namespace

void CMainDlg::InitMicrophone() {
    m_microphone = CaptureDevice{g_settings.m_recordingDevice, g_settings.m_recordingDeviceId};
    m_microphoneMenu = AddMicrophoneMenu(GetSystemMenu(m_hWnd, FALSE));
}

// At start-up: a remembered device that is gone is not asked about; the session records from
// the default. The value stays, so the device is used again once it is back at a later start.
void CMainDlg::RestoreMicrophone() {
    if (m_microphone.name.empty() || FindCaptureDevice(CaptureDevices(), m_microphone) != kDeviceNotFound) return;
    g_log.Print(L"!!! Recording device not present, using the system default: %s", m_microphone.name.c_str());
    m_microphone = CaptureDevice{};
}

bool CMainDlg::FindMicrophone(UINT& deviceId) const {
    deviceId = WAVE_MAPPER;
    if (m_microphone.name.empty()) return true;
    const int index = FindCaptureDevice(CaptureDevices(), m_microphone);
    if (index == kDeviceNotFound) return false;
    deviceId = static_cast<UINT>(index);
    return true;
}

bool CMainDlg::RecordingDevice(UINT& deviceId) const {
    const bool present = FindMicrophone(deviceId);
    g_log.Print(L"Recording device: %s",
                m_microphone.name.empty() ? DefaultDeviceDescription().c_str() : m_microphone.name.c_str());
    if (!present) g_log.Print(L"!!! Recording device not present: %s", m_microphone.name.c_str());
    return present;
}

// Unplugged since it was chosen or since the start (no longer listed, or listed until the
// program restarts but no longer opening), or held by another program: the user learns which
// microphone cannot be had and why, where to choose another, and may record from the default
// at once. That is then this session's device, as after a start without it; the choice stays
// remembered for when it is back. The level meter must be stopped before: it captures from
// that very device, and a driver that serves one capture client at a time would answer the
// check "allocated" because of it. It is started again when the recording does not go ahead.
bool CMainDlg::MicrophoneReady() {
    UINT deviceId = WAVE_MAPPER;
    const bool listed = FindMicrophone(deviceId);
    const DeviceProbe probe = !listed                  ? DeviceProbe::kGone
                              : deviceId == WAVE_MAPPER ? DeviceProbe::kOpens
                                                        : ProbeCaptureDevice(deviceId, kListenerChannels,
                                                                             kListenerSampleRate);
    if (probe == DeviceProbe::kOpens) return true;
    const bool held = probe == DeviceProbe::kHeld;
    g_log.Print(held ? L"!!! Recording device in use by another program, asking to record from the system default: %s"
                     : L"!!! Recording device not present, asking to record from the system default: %s",
                m_microphone.name.c_str());
    const std::wstring why = held ? L"\" is in use by another program.\n\nClose that program and press Record again, "
                                    L"or choose another microphone"
                                  : L"\" is not available: it may have been unplugged.\n\nAnother microphone can be "
                                    L"chosen";
    const std::wstring text = L"The microphone \"" + m_microphone.name + why +
                              L" in the Microphone submenu of this window's system menu (Alt+Space).\n\nDo you "
                              L"want to record from the system default microphone instead?";
    if (MessageBoxW(m_hWnd, text.c_str(), held ? L"Microphone in use" : L"Microphone not available",
                    MB_ICONWARNING | MB_YESNO) != IDYES) {
        g_log.Print(L"Operation cancelled by user");
        // The meter follows the default while the device cannot be opened.
        StartLevelListener();
        return false;
    }
    g_log.Print(L"User records from the system default instead");
    m_microphone = CaptureDevice{};
    return true;
}

bool CMainDlg::OpenLevelListener() {
    UINT deviceId = WAVE_MAPPER;
    const bool present = FindMicrophone(deviceId);
    const int result = present ? LevelListener::Start(kListenerChannels, kListenerSampleRate, deviceId) : 0;
    const bool opened = present && (result == 0 || deviceId == WAVE_MAPPER);
    if (!opened) {
        g_log.Print(L"!!! Recording device cannot be opened, the meter follows the system default: %s",
                    m_microphone.name.c_str());
        LevelListener::Start(kListenerChannels, kListenerSampleRate);
    }
    // Without any microphone the default fails too, and the meter simply stays at 0.
    SetTimer(m_hWnd, kListenerTimer, kListenerTimerMs, nullptr);
    return opened;
}

// The system menu is about to open: the devices are listed as they are now, and the choice
// is offered only while nothing is recorded or played.
LRESULT CMainDlg::OnInitMenuPopup(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    if (!HIWORD(lParam) || !m_microphoneMenu || reinterpret_cast<HMENU>(wParam) == m_microphoneMenu) return 0;
    m_menuDevices = CaptureDevices();
    SortMicrophones(m_menuDevices);
    const int chosen = m_microphone.name.empty() ? kMicrophoneDefault : FindCaptureDevice(m_menuDevices, m_microphone);
    FillMicrophoneMenu(m_microphoneMenu, m_menuDevices, chosen, chosen == kDeviceNotFound ? m_microphone.name : L"");
    EnableMicrophoneMenu(GetSystemMenu(m_hWnd, FALSE), m_microphoneMenu, m_mode == kModeIdle);
    return 0;
}

LRESULT CMainDlg::OnMicrophoneSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    bHandled = OnMicrophoneChoice(MicrophoneChoiceOf(wParam));
    return 0;
}

// Wine's menus send the commands of a system menu's submenu as menu commands, not as system
// commands: both are taken.
LRESULT CMainDlg::OnMicrophoneCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    bHandled = lParam == 0 && HIWORD(wParam) == 0 && OnMicrophoneChoice(MicrophoneChoiceOf(LOWORD(wParam)));
    return 0;
}

// False for a command that is no choice of a microphone.
bool CMainDlg::OnMicrophoneChoice(int choice) {
    if (choice == kNotMicrophoneCommand) return false;
    // The submenu is greyed while recording or playing; the listener is not running then.
    if (m_mode != kModeIdle) return true;
    if (choice != kMicrophoneDefault && choice >= static_cast<int>(m_menuDevices.size())) return true;
    ChooseMicrophone(choice == kMicrophoneDefault ? CaptureDevice{} : m_menuDevices[static_cast<size_t>(choice)]);
    return true;
}

// Takes effect at once: the meter shows the new microphone. One the meter cannot open stays
// chosen (a recording from it is tried, and fails visibly), and the user is told so now.
void CMainDlg::ChooseMicrophone(const CaptureDevice& device) {
    g_log.Print(L"Recording device chosen: %s", device.name.empty() ? kSystemDefault : device.name.c_str());
    m_microphone = device;
    if (!g_settings.SetRecordingDevice(device.name, device.endpointId))
        g_log.Print(L"!!! The recording device could not be remembered");
    StopLevelListener();
    g_log.Print(L"Starting sound volume indicator listener...");
    if (!OpenLevelListener()) {
        const std::wstring text = L"The microphone \"" + device.name +
                                  L"\" could not be opened.\n\nThe level meter shows the system default microphone "
                                  L"meanwhile.";
        MessageBoxW(m_hWnd, text.c_str(), L"Microphone", MB_ICONWARNING);
    }
}
