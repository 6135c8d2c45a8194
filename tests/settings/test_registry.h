// Points HKEY_CURRENT_USER of this process at a private, empty key for the lifetime of the
// object, so that tests can set up any registry state without disturbing other tests that
// share the Wine prefix.
#pragma once
#include <windows.h>
#include <string>

class TestRegistry {
public:
    TestRegistry();
    ~TestRegistry();
    TestRegistry(const TestRegistry&) = delete;
    TestRegistry& operator=(const TestRegistry&) = delete;

    // The private key's path under the real HKEY_CURRENT_USER.
    const std::wstring& RealPath() const { return m_path; }

    // Values under a key path of the redirected HKEY_CURRENT_USER (created if missing).
    void SetString(const wchar_t* key, const wchar_t* name, const std::wstring& value, DWORD type = REG_SZ);
    void SetBytes(const wchar_t* key, const wchar_t* name, DWORD type, const void* data, DWORD bytes);
    void SetDword(const wchar_t* key, const wchar_t* name, DWORD value);

private:
    std::wstring m_path;
    HKEY m_root = nullptr;
};

constexpr wchar_t kRecorderKey[] = L"Software\\QuillbankRecorder";
constexpr wchar_t kInternetKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
