#include "settings.h"
#include <curl/curl.h>
#include <windows.h>
#include "registry_values.h"
#include "text_encoding.h"
#include "wipe_text.h"

CSettings g_settings;

namespace {

constexpr wchar_t kInternetSettingsPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// The system setting is honoured only as an HTTP proxy, the way browsers use "ProxyServer".
void ResolveSystemProxy(int32_t* type, std::wstring* address) {
    HKEY key = OpenUserKey(kInternetSettingsPath);
    DWORD enabled = 0;
    ReadRegistryRaw32(key, L"ProxyEnable", &enabled);
    if (enabled != 0) {
        ReadRegistryString(key, L"ProxyServer", address);
        *type = PROXY_HTTP;
    } else {
        *type = PROXY_NONE;
    }
    if (key != nullptr) RegCloseKey(key);
}

}  // namespace

void CSettings::Load() {
    HKEY key = OpenUserKey(kSettingsKeyPath);

    DWORD storedType = PROXY_SYSTEM;
    ReadRegistryRaw32(key, L"ProxyType", &storedType);
    m_proxyType = static_cast<int32_t>(storedType);
    m_proxyAddress.clear();
    if (m_proxyType == PROXY_SYSTEM)
        ResolveSystemProxy(&m_proxyType, &m_proxyAddress);
    else
        ReadRegistryString(key, L"ProxyUrl", &m_proxyAddress);

    // An empty host is used as stored: the requests then fail visibly instead of quietly
    // going to the default service.
    m_serverHost = kDefaultServerHost;
    ReadRegistryString(key, L"ServerHost", &m_serverHost);

    if (key != nullptr) RegCloseKey(key);
}

CSettings::~CSettings() { WipeText(&m_rememberedPassword); }

void CSettings::RememberPassword(const std::wstring& password) {
    // After the wipe the emptied buffer is reused when the new password fits it; a longer one
    // takes a new buffer and the wiped one goes back to the heap.
    WipeText(&m_rememberedPassword);
    m_rememberedPassword = password;
}

void CSettings::ApplyProxy(CURL* transfer) const {
    const std::string address = ToAnsi(m_proxyAddress);
    if (m_proxyType == PROXY_NONE) return;
    // Set even when empty: an empty proxy also keeps libcurl from taking one from the
    // environment.
    curl_easy_setopt(transfer, CURLOPT_PROXY, address.c_str());
    switch (m_proxyType) {
        case PROXY_HTTP: curl_easy_setopt(transfer, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP)); break;
        case PROXY_SOCKS4: curl_easy_setopt(transfer, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_SOCKS4)); break;
        case PROXY_SOCKS5: curl_easy_setopt(transfer, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_SOCKS5)); break;
        default: break;  // unknown selections leave the type to libcurl (a scheme in the address)
    }
}
