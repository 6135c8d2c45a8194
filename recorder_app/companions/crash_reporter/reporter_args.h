// The reporter's command line: crash_reporter.exe "<product>" <version> "<dump path>".
#pragma once
#include <string>
#include <vector>

struct ReporterArguments {
    bool ok = false;
    std::wstring error;  // for the user when not ok
    std::wstring product;
    std::wstring version;
    std::wstring dumpPath;
};

// arguments: the command line split as the system splits it, program name first.
ReporterArguments ParseReporterArguments(const std::vector<std::wstring>& arguments);
