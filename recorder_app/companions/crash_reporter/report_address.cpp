#include "report_address.h"
#include <windows.h>
#include "service/request/service_settings.h"

std::wstring CrashReportAddress() {
    const std::wstring address = CSettings::ReadCrashReportUrl();
    // An empty value names no collector.
    if (!address.empty()) return address;
    return ServiceAddress(g_settings, L"/crash-report.php");
}
