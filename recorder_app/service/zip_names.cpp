#include "zip_names.h"
#include <vector>

namespace {

bool DropLeadingDrive(std::string* name) {
    if (name->size() < 2 || (*name)[1] != ':') return false;
    name->erase(0, 2);
    return true;
}

bool DropLeadingSeparator(std::string* name) {
    if (name->empty() || ((*name)[0] != '\\' && (*name)[0] != '/')) return false;
    name->erase(0, 1);
    return true;
}

bool DropUpToParentStep(std::string* name) {
    for (const char* step : {"\\..\\", "\\../", "/../", "/..\\"}) {
        const size_t at = name->find(step);
        if (at == std::string::npos) continue;
        name->erase(0, at + 4);
        return true;
    }
    return false;
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

wchar_t Upper(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

// Windows opens the device whatever the extension: "nul.txt" and "COM1.log" are devices too,
// as are the superscript-digit ports.
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

const char* ComponentProblem(const std::wstring& component) {
    if (component == L"..") return "parent folder";
    for (wchar_t c : component) {
        if (c == L':') return "drive or stream";
        if (c < 0x20 || c == L'<' || c == L'>' || c == L'"' || c == L'|' || c == L'?' || c == L'*')
            return "character not allowed in names";
    }
    if (component.back() == L'.' || component.back() == L' ') return "name ends in a dot or space";
    if (IsDeviceName(component)) return "device name";
    return nullptr;
}

}  // namespace

std::string CleanEntryName(std::string name) {
    while (DropLeadingDrive(&name) || DropLeadingSeparator(&name) || DropUpToParentStep(&name)) {
    }
    return name;
}

bool EntryPathInsideBase(const std::wstring& cleanedName, std::wstring* relativePath, const char** reason) {
    std::vector<std::wstring> components;
    size_t pos = 0;
    while (pos <= cleanedName.size()) {
        size_t end = pos;
        while (end < cleanedName.size() && !IsSeparator(cleanedName[end])) ++end;
        std::wstring component = cleanedName.substr(pos, end - pos);
        pos = end + 1;
        if (component.empty() || component == L".") continue;
        if (const char* problem = ComponentProblem(component)) {
            *reason = problem;
            return false;
        }
        components.push_back(std::move(component));
    }
    relativePath->clear();
    for (const std::wstring& component : components) {
        if (!relativePath->empty()) relativePath->push_back(L'\\');
        *relativePath += component;
    }
    *reason = nullptr;
    return true;
}
