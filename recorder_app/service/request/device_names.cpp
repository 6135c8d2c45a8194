#include "device_names.h"

namespace {

wchar_t Upper(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

}  // namespace

bool IsDeviceName(const std::wstring& component) {
    size_t end = component.find(L'.');
    if (end == std::wstring::npos) end = component.size();
    while (end > 0 && component[end - 1] == L' ') --end;
    std::wstring base;
    for (size_t i = 0; i < end; ++i) base.push_back(Upper(component[i]));
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"})
        if (base == device) return true;
    if (base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0)) {
        const wchar_t digit = base[3];
        return (digit >= L'0' && digit <= L'9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
    }
    return false;
}
