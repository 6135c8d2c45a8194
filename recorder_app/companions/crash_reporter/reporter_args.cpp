#include "reporter_args.h"

namespace {

constexpr wchar_t kUsage[] =
    L"The crash reporter is started by the Quillbank recorder after a crash, with the product name, its "
    L"version and the path of the crash dump, for example:\n"
    L"crash_reporter.exe \"Quillbank recorder\" 2.8 \"C:\\Users\\me\\AppData\\Local\\Quillbank_recorder_2_8.dmp\"";

ReporterArguments Refused(const std::wstring& why) {
    ReporterArguments result;
    result.error = why + L"\n\n" + kUsage;
    return result;
}

}  // namespace

ReporterArguments ParseReporterArguments(const std::vector<std::wstring>& arguments) {
    if (arguments.size() != 4)
        return Refused(L"The crash reporter needs 3 arguments but was given " +
                       std::to_wstring(arguments.empty() ? 0 : arguments.size() - 1) + L".");
    if (arguments[1].empty() || arguments[2].empty() || arguments[3].empty())
        return Refused(L"The product name, the version and the dump path must not be empty.");
    ReporterArguments result;
    result.ok = true;
    result.product = arguments[1];
    result.version = arguments[2];
    result.dumpPath = arguments[3];
    return result;
}
