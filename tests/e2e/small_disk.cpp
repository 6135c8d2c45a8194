#include "small_disk.h"
#include <cstdio>
#include "app_harness.h"
#include "sound_check.h"

namespace e2e {

SmallDisk::SmallDisk(const std::wstring& folder, int kbytes) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    m_work = JoinPath(temp, L"qb-small-disk-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                std::to_wstring(GetTickCount()));
    CreateDirectoryW(m_work.c_str(), nullptr);
    const std::string unixFolder = UnixPathOf(folder);
    if (unixFolder.empty()) {
        m_problem = "the folder has no unix path";
        return;
    }
    if (FILE* file = _wfopen(JoinPath(m_work, L"folder").c_str(), L"wb")) {
        std::fputs(unixFolder.c_str(), file);
        std::fclose(file);
    }
    m_mounted = Run(L"mount " + std::to_wstring(kbytes));
}

SmallDisk::~SmallDisk() {
    if (m_mounted) Run(L"unmount");
    DeleteFileW(JoinPath(m_work, L"folder").c_str());
    RemoveDirectoryW(m_work.c_str());
}

bool SmallDisk::Run(const std::wstring& args) {
    std::string result;
    if (!RunUnixScript(L"small_disk.sh", m_work, args, result, 30000)) {
        m_problem = "the script gave no result";
        return false;
    }
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r')) result.pop_back();
    const size_t lastLine = result.find_last_of('\n');
    if (result.substr(lastLine == std::string::npos ? 0 : lastLine + 1) == "ok") return true;
    m_problem = result;
    return false;
}

}  // namespace e2e
