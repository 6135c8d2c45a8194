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
