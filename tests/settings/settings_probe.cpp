// Test program: prints what g_settings read during static initialisation, before main. The
// current user's registry is first redirected to the key named by QB_TEST_REGISTRY_KEY, so
// that the test controls the state the program starts from.
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <cstdio>
#include "service/request/text_encoding.h"
#include "settings/settings.h"

namespace {

struct RedirectUserKey {
    RedirectUserKey() {
        wchar_t path[512];
        if (GetEnvironmentVariableW(L"QB_TEST_REGISTRY_KEY", path, 512) == 0) return;
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS)
            RegOverridePredefKey(HKEY_CURRENT_USER, key);
    }
};

// Constructed before the ordinary static objects, g_settings among them.
__attribute__((init_priority(101))) RedirectUserKey g_redirect;

}  // namespace

int main() {
    _setmode(_fileno(stdout), _O_BINARY);  // the test compares bare line feeds
    std::printf("host=%s\ntype=%d\nproxy=%s\n", ToUtf8(g_settings.m_serverHost).c_str(),
                static_cast<int>(g_settings.m_proxyType), ToUtf8(g_settings.m_proxyAddress).c_str());
    return 0;
}
