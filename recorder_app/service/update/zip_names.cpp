#include "zip_names.h"
#include "service/request/device_names.h"
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
