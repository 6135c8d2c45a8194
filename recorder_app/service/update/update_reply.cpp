#include "update_reply.h"
#include <climits>
#include <map>

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\v' || c == L'\f'; }

std::wstring Trim(const std::wstring& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

// The leading decimal digits of a trimmed text, 0 if there are none. A number too large for
// 32 bits stays at the largest one rather than wrapping into a small or negative value.
int32_t LeadingNumber(const std::wstring& text) {
    const std::wstring trimmed = Trim(text);
    int64_t value = 0;
    for (wchar_t c : trimmed) {
        if (c < L'0' || c > L'9') break;
        value = value * 10 + (c - L'0');
        if (value > INT32_MAX) return INT32_MAX;
    }
    return static_cast<int32_t>(value);
}

bool EqualsIgnoringCase(const std::wstring& text, const wchar_t* word) {
    size_t i = 0;
    for (; word[i] != L'\0'; ++i) {
        if (i >= text.size()) return false;
        wchar_t c = text[i];
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != word[i]) return false;
    }
    return i == text.size();
}

std::map<std::wstring, std::wstring> ReadPairs(const std::wstring& text) {
    std::map<std::wstring, std::wstring> pairs;
    size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && (text[pos] == L'\r' || text[pos] == L'\n')) ++pos;
        if (pos >= text.size()) break;
        size_t end = pos;
        while (end < text.size() && text[end] != L'\r' && text[end] != L'\n') ++end;
        const std::wstring line = text.substr(pos, end - pos);
        pos = end;
        const size_t equals = line.find(L'=');
        std::wstring key = Trim(line.substr(0, equals));
        std::wstring value = equals == std::wstring::npos ? std::wstring() : Trim(line.substr(equals + 1));
        pairs.emplace(std::move(key), std::move(value));  // a key already there keeps its value
    }
    return pairs;
}

}  // namespace

UpdateReply ParseUpdateReply(const std::wstring& text) {
    const std::map<std::wstring, std::wstring> pairs = ReadPairs(text);
    UpdateReply reply;
    const auto version = pairs.find(L"current_version");
    const auto location = pairs.find(L"file_location");
    const auto size = pairs.find(L"file_size");
    const auto must = pairs.find(L"must_update");
    const auto signature = pairs.find(L"update_signature");
    if (version == pairs.end()) {
        reply.error = "Error while getting update info: no software version in server response";
        return reply;
    }
    ReadVersion(version->second, &reply.major, &reply.minor);
    if (location == pairs.end()) {
        reply.error = "Error while getting update info: no file location in server response";
        return reply;
    }
    reply.fileLocation = location->second;
    if (size == pairs.end()) {
        reply.error = "Error while getting update info: no file size in server response";
        return reply;
    }
    reply.fileSize = LeadingNumber(size->second);
    reply.mustUpdate = must != pairs.end() && EqualsIgnoringCase(must->second, L"true");
    reply.offer.version = version->second;
    if (signature != pairs.end()) reply.offer.signature = signature->second;
    return reply;
}

void ReadVersion(const std::wstring& text, int32_t* major, int32_t* minor) {
    const size_t point = text.find(L'.');
    *major = LeadingNumber(text.substr(0, point));
    *minor = point == std::wstring::npos ? 0 : LeadingNumber(text.substr(point + 1));
}

bool IsNewerVersion(int32_t major, int32_t minor, int32_t runningMajor, int32_t runningMinor) {
    return major > runningMajor || (major == runningMajor && minor > runningMinor);
}
