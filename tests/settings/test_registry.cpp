#include "test_registry.h"
#include <gtest/gtest.h>

TestRegistry::TestRegistry() {
    static int counter = 0;
    m_path = L"Software\\QuillbankTests\\" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_root,
                              nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, m_root), ERROR_SUCCESS);
}

TestRegistry::~TestRegistry() {
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(m_root);
    RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str());
}

void TestRegistry::SetBytes(const wchar_t* key, const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(handle, name, 0, type, static_cast<const BYTE*>(data), bytes), ERROR_SUCCESS);
    RegCloseKey(handle);
}

void TestRegistry::SetString(const wchar_t* key, const wchar_t* name, const std::wstring& value, DWORD type) {
    SetBytes(key, name, type, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void TestRegistry::SetDword(const wchar_t* key, const wchar_t* name, DWORD value) {
    SetBytes(key, name, REG_DWORD, &value, sizeof value);
}
