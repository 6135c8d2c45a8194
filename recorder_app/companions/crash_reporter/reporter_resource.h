// Resource and control IDs of crash_reporter.exe.
#pragma once

#define IDD_CRASH_REPORT        200
#define IDC_REPORT_TEXT         1101
#define IDC_REPORT_COMMENT      1102
#define IDC_REPORT_PROGRESS     1103
