#include "report_address.h"
#include <windows.h>
#include "service/request/settings.h"

std::wstring CrashReportAddress() {
    const std::wstring address = CSettings::ReadCrashReportUrl();
    // An empty value names no collector.
    if (!address.empty()) return address;
    return g_settings.ServiceAddress(L"/crash-report.php");
}
