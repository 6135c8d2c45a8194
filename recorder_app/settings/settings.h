// The program's settings, the one place that reads and writes its registry values: which
// host the requests go to and through which proxy, read once from the current user's
// registry before the program starts, the recording device the user chose, the login and
// podcast of the last publication and the crash reporter's collector (both read afresh when
// used), plus the password of the last publication, kept in memory only.
#pragma once
#include <cstdint>
#include <string>

typedef void CURL;

// Proxy selections as stored in "ProxyType"; PROXY_SYSTEM is resolved by Load into
// PROXY_HTTP, PROXY_SOCKS4 or PROXY_NONE from the system's Internet Settings.
constexpr int32_t PROXY_NONE = 0;
constexpr int32_t PROXY_HTTP = 1;
constexpr int32_t PROXY_SOCKS4 = 2;
constexpr int32_t PROXY_SOCKS5 = 3;
constexpr int32_t PROXY_SYSTEM = 4;

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

    // The address of one of the service's programs on the configured host: "http://" + host +
    // path ("/publish.php", "/recorder-update.php", "/crash-report.php").
    std::wstring ServiceAddress(const wchar_t* path) const { return L"http://" + m_serverHost + path; }

    // Every HTTP transfer of the program calls this on its handle before performing it.
    void ApplyProxy(CURL* transfer) const;

    // Keeps the password of a successful publication for the next one in this run; the one it
    // replaces is wiped first, so it cannot linger in the heap.
    void RememberPassword(const std::wstring& password);

    // Remembers the chosen recording device by name as "RecordingDevice"; an empty name (the
    // system's default device) removes the value. False when the registry refused.
    bool SetRecordingDevice(const std::wstring& name);

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
};

extern CSettings g_settings;
