// The log of a test that runs the update archive's check: opened fresh in a test folder.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "runtime/log_file.h"
#include "update_test_support.h"

class VerifyLog {
public:
    VerifyLog() : m_path(FreshFolder(L"log") + L"\\recorder.log") { g_log.Open(m_path); }
    ~VerifyLog() { g_log.Close(); }
    std::vector<std::wstring> Lines() const {
        const std::string bytes = ReadFileBytes(m_path);
        const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
        std::vector<std::wstring> lines;
        for (size_t pos = 0, end; (end = text.find(L'\n', pos)) != std::wstring::npos; pos = end + 1)
            lines.push_back(text.substr(pos, end - pos));
        return lines;
    }

private:
    std::wstring m_path;
};
