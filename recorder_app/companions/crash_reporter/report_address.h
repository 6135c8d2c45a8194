// Where crash reports go: "http://" + the service host + "/crash-report.php", unless the
// registry value "CrashReportUrl" under the program's key names another collector.
#pragma once
#include <string>

std::wstring CrashReportAddress();
