// The program's settings, the one place that reads and writes its registry values: which
// host the requests go to and through which proxy, read once from the current user's
// registry before the program starts, the recording device the user chose, the login and
// podcast of the last publication and the crash reporter's collector (both read afresh when
// used), plus the password of the last publication, kept in memory only. What the requests
// make of them (the proxy on a transfer, the service's addresses) is in
// service/request/service_settings.h.
#pragma once
#include <cstdint>
#include <string>

// Every registry value the program reads or writes, under HKEY_CURRENT_USER.
// "string": REG_SZ or REG_EXPAND_SZ (left unexpanded) of at most 1023 UTF-16 units; a longer
// one (or any other type) reads back as missing, so its default, although a writer stores it
// whole. "4 bytes": exactly four bytes of any stored type. "REG_DWORD": only that type; a
// string there counts as missing.
//
// Software\QuillbankRecorder (kSettingsKeyPath)
//   value                type       default           read / written                 limits
//   "ServerHost"         string     "quillbank.com"   Load                           an empty host is used as stored
//   "ProxyType"          4 bytes    4 (PROXY_SYSTEM)  Load                           0 to 4; others leave the type to libcurl
//   "ProxyUrl"           string     empty             Load, unless ProxyType is 4    handed to libcurl unparsed
//   "RecordingDevice"    string     missing: the      Load; SetRecordingDevice       a name past 1023 units is written but
//                                   system default    writes it or removes it        read back as the system default
//   "RecordingDeviceId"  string     missing: the      Load; SetRecordingDevice       the device's audio endpoint id; an id
//                                   device is found   writes it beside the name,     past 1023 units is written but read back
//                                   by name only      or removes it with it          as missing; ignored without the name
//   "LastUser"           string     empty             ReadLastLogin; SaveLastLogin   a name past 1023 units reads back empty
//   "LastPodcastID"      REG_DWORD  0                 ReadLastLogin; SaveLastLogin   a signed 32-bit podcast number
//   "CrashReportUrl"     string     empty: the        ReadCrashReportUrl             set by hand or by the tests
//                                   service's host
//   "SnapSpotsToPauses"  REG_DWORD  1                 Load; SetSnapToPauses          0: a spot goes where the cursor is;
//                                                                                    anything else: into a pause near it
//   "TightenLongerThanMs" REG_DWORD 1200              Load; SetTightenLengths        pauses longer than this are shortened;
//                                                                                    kTightenShortestMs to kTightenLongestMs
//   "TightenToMs"        REG_DWORD  700               Load; SetTightenLengths        what is left of each; at least
//                                                                                    kTightenShortestMs and less than
//                                                                                    TightenLongerThanMs, else both take
//                                                                                    their defaults
// Software\Microsoft\Windows\CurrentVersion\Internet Settings (the system's; read only
// when ProxyType is 4, never written)
//   "ProxyEnable"        4 bytes    0                 Load                           not 0: ProxyServer is used
//   "ProxyServer"        string     empty             Load                           "host:port" or "http=...;socks=..."
constexpr wchar_t kServerHostValue[] = L"ServerHost";
constexpr wchar_t kProxyTypeValue[] = L"ProxyType";
constexpr wchar_t kProxyUrlValue[] = L"ProxyUrl";
constexpr wchar_t kRecordingDeviceValue[] = L"RecordingDevice";
constexpr wchar_t kRecordingDeviceIdValue[] = L"RecordingDeviceId";
constexpr wchar_t kLastUserValue[] = L"LastUser";
constexpr wchar_t kLastPodcastValue[] = L"LastPodcastID";
constexpr wchar_t kCrashReportUrlValue[] = L"CrashReportUrl";
constexpr wchar_t kSnapToPausesValue[] = L"SnapSpotsToPauses";
constexpr wchar_t kTightenLongerThanValue[] = L"TightenLongerThanMs";
constexpr wchar_t kTightenToValue[] = L"TightenToMs";
constexpr wchar_t kInternetSettingsPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr wchar_t kProxyEnableValue[] = L"ProxyEnable";
constexpr wchar_t kProxyServerValue[] = L"ProxyServer";

// Proxy selections as stored in "ProxyType"; PROXY_SYSTEM is resolved by Load into
// PROXY_HTTP, PROXY_SOCKS4 or PROXY_NONE from the system's Internet Settings.
constexpr int32_t PROXY_NONE = 0;
constexpr int32_t PROXY_HTTP = 1;
constexpr int32_t PROXY_SOCKS4 = 2;
constexpr int32_t PROXY_SOCKS5 = 3;
constexpr int32_t PROXY_SYSTEM = 4;

// The tightening of pauses: a pause is 300 ms or more, so none is shortened below that.
constexpr uint32_t kTightenShortestMs = 300;
constexpr uint32_t kTightenLongestMs = 60000;
constexpr uint32_t kDefaultTightenLongerThanMs = 1200;
constexpr uint32_t kDefaultTightenToMs = 700;
// Whether pauses longer than `longerThanMs` may be shortened to `toMs`.
constexpr bool TightenLengthsAllowed(uint32_t longerThanMs, uint32_t toMs) {
    return toMs >= kTightenShortestMs && toMs < longerThanMs && longerThanMs <= kTightenLongestMs;
}

// Host of the service when "ServerHost" is not set; the podcasts' sites are its subdomains.
constexpr wchar_t kDefaultServerHost[] = L"quillbank.com";

class CSettings {
public:
    CSettings() { Load(); }
    ~CSettings();  // wipes the remembered password
    CSettings(const CSettings&) = delete;
    CSettings& operator=(const CSettings&) = delete;

    // Reads the registry afresh; missing or unreadable values take their defaults. Never
    // fails and logs nothing (it runs before the log exists).
    void Load();

    // Keeps the password of a successful publication for the next one in this run; the one it
    // replaces is wiped first, so it cannot linger in the heap.
    void RememberPassword(const std::wstring& password);

    // Remembers the chosen recording device by name as "RecordingDevice" and by its endpoint's
    // id as "RecordingDeviceId" (removed when the id is empty: the driver gives none); an
    // empty name (the system's default device) removes both. False when the registry refused.
    bool SetRecordingDevice(const std::wstring& name, const std::wstring& endpointId);

    // Whether a new spot goes into a pause near the cursor, as "SnapSpotsToPauses". False when
    // the registry refused (the choice still holds for this run).
    bool SetSnapToPauses(bool snap);

    // The lengths of the tightening of pauses, as "TightenLongerThanMs" and "TightenToMs"
    // (TightenLengthsAllowed holds). False when the registry refused.
    bool SetTightenLengths(uint32_t longerThanMs, uint32_t toMs);

    // "LastUser" and "LastPodcastID", as the last successful publication left them: read
    // afresh each time, since another instance may have published meanwhile. Missing values
    // give an empty name and podcast 0.
    struct LastLogin {
        std::wstring user;
        int32_t podcastId = 0;
    };
    static LastLogin ReadLastLogin();
    static void SaveLastLogin(const std::wstring& user, int32_t podcastId);

    // "CrashReportUrl": where the crash reporter sends a dump instead of the service; empty
    // when not set.
    static std::wstring ReadCrashReportUrl();

    std::wstring m_rememberedPassword;  // of the last successful publication; set it only
                                        // through RememberPassword
    std::wstring m_serverHost;
    int32_t m_proxyType = PROXY_SYSTEM;
    std::wstring m_proxyAddress;  // handed to libcurl unparsed: host:port, a URL or a list
    std::wstring m_recordingDevice;  // the chosen device's name; empty: the system's default
    std::wstring m_recordingDeviceId;  // its endpoint's id; empty: found by name only
    bool m_snapToPauses = true;
    uint32_t m_tightenLongerThanMs = kDefaultTightenLongerThanMs;
    uint32_t m_tightenToMs = kDefaultTightenToMs;
};

extern CSettings g_settings;
