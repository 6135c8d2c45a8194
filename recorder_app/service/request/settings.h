// The service settings: which host the requests go to and through which proxy, read once
// from the current user's registry before the program starts, plus the password of the last
// publication, kept in memory only.
#pragma once
#include <cstdint>
#include <string>

typedef void CURL;

// Proxy selections as stored in "ProxyType"; PROXY_SYSTEM is resolved by Load into
// PROXY_HTTP or PROXY_NONE from the system's Internet Settings.
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

    // Every HTTP transfer of the program calls this on its handle before performing it.
    void ApplyProxy(CURL* transfer) const;

    // Keeps the password of a successful publication for the next one in this run; the one it
    // replaces is wiped first, so it cannot linger in the heap.
    void RememberPassword(const std::wstring& password);

    std::wstring m_rememberedPassword;  // of the last successful publication; set it only
                                        // through RememberPassword
    std::wstring m_serverHost;
    int32_t m_proxyType = PROXY_SYSTEM;
    std::wstring m_proxyAddress;  // handed to libcurl unparsed: host:port, a URL or a list
};

extern CSettings g_settings;
