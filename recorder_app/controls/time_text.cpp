#include "time_text.h"
#include <cwchar>

namespace controls {

std::wstring RulerLabel(uint32_t ms) {
    wchar_t text[32];
    swprintf(text, 32, L"%02d:%02d", static_cast<int>(ms / 60000), static_cast<int>((ms / 1000) % 60));
    return text;
}

std::wstring ClockText(uint32_t ms) {
    wchar_t text[64];
    swprintf(text, 64, L"%02u:%02u:%02u", ms / 1000 / 60, (ms / 1000) % 60, (ms % 1000) / 10);
    return text;
}

}  // namespace controls
