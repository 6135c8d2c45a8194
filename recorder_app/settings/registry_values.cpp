#include "registry_values.h"

HKEY OpenUserKey(const wchar_t* path) {
    HKEY key = nullptr;
    const LONG status = RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    return status == ERROR_SUCCESS ? key : nullptr;
}

bool ReadRegistryString(HKEY key, const wchar_t* name, std::wstring* value) {
    if (key == nullptr) return false;
    wchar_t buffer[kRegistryStringUnits] = {};
    DWORD type = REG_NONE;
    DWORD bytes = sizeof buffer;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes) != ERROR_SUCCESS)
        return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    if (bytes < sizeof(wchar_t) || bytes % sizeof(wchar_t) != 0) return false;
    const DWORD units = bytes / sizeof(wchar_t);
    if (buffer[units - 1] != L'\0') return false;
    value->assign(buffer);
    return true;
}

bool ReadRegistryRaw32(HKEY key, const wchar_t* name, DWORD* value) {
    if (key == nullptr) return false;
    DWORD read = 0;
    DWORD bytes = sizeof read;
    if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&read), &bytes) != ERROR_SUCCESS)
        return false;
    if (bytes != sizeof read) return false;
    *value = read;
    return true;
}

bool ReadRegistryDword(HKEY key, const wchar_t* name, DWORD* value) {
    if (key == nullptr) return false;
    DWORD type = REG_NONE;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS || type != REG_DWORD)
        return false;
    return ReadRegistryRaw32(key, name, value);
}

bool WriteRegistryString(HKEY key, const wchar_t* name, const std::wstring& value) {
    if (key == nullptr) return false;
    const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes) == ERROR_SUCCESS;
}

bool DeleteRegistryValue(HKEY key, const wchar_t* name) {
    if (key == nullptr) return false;
    const LONG status = RegDeleteValueW(key, name);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}
