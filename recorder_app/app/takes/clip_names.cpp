#include "clip_names.h"
#include <cwchar>

namespace {

constexpr size_t kStampChars = 256;

std::wstring Stamp(const std::tm& localTime, const wchar_t* format) {
    wchar_t text[kStampChars] = L"";
    wcsftime(text, kStampChars, format, &localTime);
    return text;
}

}  // namespace

std::wstring RecordingFileName(const std::tm& localTime, int number) {
    return Stamp(localTime, L"%Y-%m-%d-%H-%M-%S-") + std::to_wstring(number) + L".mp3";
}

std::wstring JoinedFileName(const std::tm& localTime) {
    return Stamp(localTime, L"%Y-%m-%d-%H-%M-%S.mp3");
}

std::wstring InFolder(const std::wstring& folder, const std::wstring& name) {
    return folder + L"\\" + name;
}

std::wstring FreeRecordingFileName(const std::tm& localTime, int number, const NameTaken& taken) {
    constexpr int kNumbers = 1000;
    for (int i = 0; i < kNumbers; ++i) {
        const std::wstring name = RecordingFileName(localTime, ((number % kNumbers) + i) % kNumbers);
        if (!taken(name)) return name;
    }
    for (int extra = kNumbers;; ++extra) {
        const std::wstring name = RecordingFileName(localTime, extra);
        if (!taken(name)) return name;
    }
}

std::wstring FreeJoinedFileName(const std::tm& localTime, const NameTaken& taken) {
    const std::wstring name = JoinedFileName(localTime);
    if (!taken(name)) return name;
    const std::wstring stem = name.substr(0, name.size() - 4);
    for (int copy = 2;; ++copy) {
        const std::wstring numbered = stem + L" (" + std::to_wstring(copy) + L").mp3";
        if (!taken(numbered)) return numbered;
    }
}
