#include "service_settings.h"
#include <curl/curl.h>
#include "text_encoding.h"

std::wstring ServiceAddress(const CSettings& settings, const wchar_t* path) {
    return L"http://" + settings.m_serverHost + path;
}

void ApplyProxy(const CSettings& settings, CURL* transfer) {
    if (settings.m_proxyType == PROXY_NONE) return;
    const std::string address = ToAnsi(settings.m_proxyAddress);
    // Set even when empty: an empty proxy also keeps libcurl from taking one from the
    // environment.
    curl_easy_setopt(transfer, CURLOPT_PROXY, address.c_str());
    switch (settings.m_proxyType) {
        case PROXY_HTTP: curl_easy_setopt(transfer, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP)); break;
        case PROXY_SOCKS4: curl_easy_setopt(transfer, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_SOCKS4)); break;
        case PROXY_SOCKS5: curl_easy_setopt(transfer, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_SOCKS5)); break;
        default: break;  // unknown selections leave the type to libcurl (a scheme in the address)
    }
}
