#include "report_address.h"
#include <windows.h>
#include "service/request/registry_values.h"
#include "service/request/settings.h"

std::wstring CrashReportAddress() {
    std::wstring address;
    if (HKEY key = OpenUserKey(kSettingsKeyPath)) {
        ReadRegistryString(key, L"CrashReportUrl", &address);
        RegCloseKey(key);
    }
    // An empty value names no collector.
    if (!address.empty()) return address;
    return L"http://" + g_settings.m_serverHost + L"/crash-report.php";
}
