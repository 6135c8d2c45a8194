#include "settings.h"
#include <windows.h>
#include "registry_values.h"
#include "runtime/wipe_text.h"

CSettings g_settings;

namespace {

// "ProxyServer" names one proxy for every protocol ("host:port", taken unchanged as an HTTP
// proxy, the way browsers use it), or, once the user set them apart, one per protocol
// ("http=host:port;https=host:port;socks=host:port"), which libcurl cannot read as an
// address. The service is reached over http: from such a list its "http=" entry is taken,
// else its "socks=" entry as Windows uses it (SOCKS4); a list with neither goes direct.
void ChooseSystemProxy(const std::wstring& server, int32_t* type, std::wstring* address) {
    if (server.find(L'=') == std::wstring::npos) {
        *type = PROXY_HTTP;
        *address = server;
        return;
    }
    std::wstring http, socks;
    for (size_t at = 0; at < server.size();) {
        size_t end = server.find_first_of(L"; ", at);
        if (end == std::wstring::npos) end = server.size();
        const std::wstring entry = server.substr(at, end - at);
        const size_t equals = entry.find(L'=');
        if (equals != std::wstring::npos) {
            const std::wstring scheme = entry.substr(0, equals);
            std::wstring* chosen = _wcsicmp(scheme.c_str(), L"http") == 0    ? &http
                                   : _wcsicmp(scheme.c_str(), L"socks") == 0 ? &socks
                                                                              : nullptr;
            if (chosen != nullptr && chosen->empty()) *chosen = entry.substr(equals + 1);
        }
        at = end + 1;
    }
    *type = !http.empty() ? PROXY_HTTP : !socks.empty() ? PROXY_SOCKS4 : PROXY_NONE;
    *address = !http.empty() ? http : socks;
}

void ResolveSystemProxy(int32_t* type, std::wstring* address) {
    HKEY key = OpenUserKey(kInternetSettingsPath);
    DWORD enabled = 0;
    ReadRegistryRaw32(key, kProxyEnableValue, &enabled);
    if (enabled != 0) {
        std::wstring server;
        ReadRegistryString(key, kProxyServerValue, &server);
        ChooseSystemProxy(server, type, address);
    } else {
        *type = PROXY_NONE;
    }
    if (key != nullptr) RegCloseKey(key);
}

}  // namespace

void CSettings::Load() {
    HKEY key = OpenUserKey(kSettingsKeyPath);

    DWORD storedType = PROXY_SYSTEM;
    ReadRegistryRaw32(key, kProxyTypeValue, &storedType);
    m_proxyType = static_cast<int32_t>(storedType);
    m_proxyAddress.clear();
    if (m_proxyType == PROXY_SYSTEM)
        ResolveSystemProxy(&m_proxyType, &m_proxyAddress);
    else
        ReadRegistryString(key, kProxyUrlValue, &m_proxyAddress);

    // An empty host is used as stored: the requests then fail visibly instead of quietly
    // going to the default service.
    m_serverHost = kDefaultServerHost;
    ReadRegistryString(key, kServerHostValue, &m_serverHost);

    m_recordingDevice.clear();
    ReadRegistryString(key, kRecordingDeviceValue, &m_recordingDevice);
    // An id without a name is left over from nothing this program writes: the default.
    m_recordingDeviceId.clear();
    if (!m_recordingDevice.empty()) ReadRegistryString(key, kRecordingDeviceIdValue, &m_recordingDeviceId);

    DWORD snap = 1;
    ReadRegistryDword(key, kSnapToPausesValue, &snap);
    m_snapToPauses = snap != 0;

    DWORD longerThan = kDefaultTightenLongerThanMs;
    DWORD to = kDefaultTightenToMs;
    ReadRegistryDword(key, kTightenLongerThanValue, &longerThan);
    ReadRegistryDword(key, kTightenToValue, &to);
    // One of the pair out of its limits makes the other meaningless too.
    const bool allowed = TightenLengthsAllowed(longerThan, to);
    m_tightenLongerThanMs = allowed ? longerThan : kDefaultTightenLongerThanMs;
    m_tightenToMs = allowed ? to : kDefaultTightenToMs;

    if (key != nullptr) RegCloseKey(key);
}

bool CSettings::SetSnapToPauses(bool snap) {
    m_snapToPauses = snap;
    HKEY key = OpenUserKey(kSettingsKeyPath);
    if (key == nullptr) return false;
    const DWORD value = snap ? 1 : 0;
    const bool written =
        RegSetValueExW(key, kSnapToPausesValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
        ERROR_SUCCESS;
    RegCloseKey(key);
    return written;
}

bool CSettings::SetTightenLengths(uint32_t longerThanMs, uint32_t toMs) {
    if (!TightenLengthsAllowed(longerThanMs, toMs)) return false;
    m_tightenLongerThanMs = longerThanMs;
    m_tightenToMs = toMs;
    HKEY key = OpenUserKey(kSettingsKeyPath);
    if (key == nullptr) return false;
    const DWORD values[2] = {longerThanMs, toMs};
    const bool written =
        RegSetValueExW(key, kTightenLongerThanValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&values[0]),
                       sizeof values[0]) == ERROR_SUCCESS &&
        RegSetValueExW(key, kTightenToValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&values[1]),
                       sizeof values[1]) == ERROR_SUCCESS;
    RegCloseKey(key);
    return written;
}

CSettings::~CSettings() { WipeText(&m_rememberedPassword); }

void CSettings::RememberPassword(const std::wstring& password) {
    // After the wipe the emptied buffer is reused when the new password fits it; a longer one
    // takes a new buffer and the wiped one goes back to the heap.
    WipeText(&m_rememberedPassword);
    m_rememberedPassword = password;
}

// The id first, so that a name is never read back beside the id of the device chosen before.
bool CSettings::SetRecordingDevice(const std::wstring& name, const std::wstring& endpointId) {
    m_recordingDevice = name;
    m_recordingDeviceId = name.empty() ? std::wstring() : endpointId;
    HKEY key = OpenUserKey(kSettingsKeyPath);
    const bool idWritten = m_recordingDeviceId.empty() ? DeleteRegistryValue(key, kRecordingDeviceIdValue)
                                                       : WriteRegistryString(key, kRecordingDeviceIdValue, endpointId);
    const bool written = idWritten && (name.empty() ? DeleteRegistryValue(key, kRecordingDeviceValue)
                                                    : WriteRegistryString(key, kRecordingDeviceValue, name));
    if (key != nullptr) RegCloseKey(key);
    return written;
}

CSettings::LastLogin CSettings::ReadLastLogin() {
    LastLogin last;
    if (HKEY key = OpenUserKey(kSettingsKeyPath)) {
        ReadRegistryString(key, kLastUserValue, &last.user);
        DWORD podcastId = 0;
        if (ReadRegistryDword(key, kLastPodcastValue, &podcastId)) last.podcastId = static_cast<int32_t>(podcastId);
        RegCloseKey(key);
    }
    return last;
}

void CSettings::SaveLastLogin(const std::wstring& user, int32_t podcastId) {
    HKEY key = OpenUserKey(kSettingsKeyPath);
    if (key == nullptr) return;
    WriteRegistryString(key, kLastUserValue, user);
    const DWORD id = static_cast<DWORD>(podcastId);
    RegSetValueExW(key, kLastPodcastValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&id), sizeof id);
    RegCloseKey(key);
}

std::wstring CSettings::ReadCrashReportUrl() {
    std::wstring address;
    if (HKEY key = OpenUserKey(kSettingsKeyPath)) {
        ReadRegistryString(key, kCrashReportUrlValue, &address);
        RegCloseKey(key);
    }
    return address;
}
