// The submenu lives in the window's own copy of the system menu and is refilled each time
// that menu opens, so that devices plugged in meanwhile are listed.
#include "microphone_menu.h"
#include <algorithm>
#include "framework/menu_items.h"

namespace {

constexpr wchar_t kMenuText[] = L"M&icrophone";
constexpr wchar_t kDefaultText[] = L"System default";
constexpr int kMaxDevices =
    static_cast<int>((kMicrophoneLastCommand - kMicrophoneFirstDeviceCommand) / kMicrophoneCommandStep) + 1;

int PositionOfSubmenu(HMENU menu, HMENU submenu) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i)
        if (GetSubMenu(menu, i) == submenu) return i;
    return -1;
}

void Append(HMENU menu, UINT command, const std::wstring& text, bool checked, bool enabled) {
    UINT flags = MF_STRING;
    if (checked) flags |= MF_CHECKED;
    if (!enabled) flags |= MF_GRAYED;
    // A name with an ampersand is shown as it is, not as a mnemonic.
    std::wstring shown;
    for (wchar_t c : text) {
        if (c == L'&') shown += L'&';
        shown += c;
    }
    AppendMenuW(menu, flags, command, shown.c_str());
}

// The second and later devices of one name get its number among them.
std::wstring NumberedName(const std::vector<CaptureDevice>& devices, int index) {
    int same = 1;
    for (int i = 0; i < index; ++i)
        if (devices[static_cast<size_t>(i)].name == devices[static_cast<size_t>(index)].name) ++same;
    const std::wstring& name = devices[static_cast<size_t>(index)].name;
    return same == 1 ? name : name + L" (" + std::to_wstring(same) + L")";
}

}  // namespace

void SortMicrophones(std::vector<CaptureDevice>& devices) {
    devices.erase(std::remove_if(devices.begin(), devices.end(), [](const CaptureDevice& d) { return d.name.empty(); }),
                  devices.end());
    std::stable_sort(devices.begin(), devices.end(), [](const CaptureDevice& a, const CaptureDevice& b) {
        const int byName = lstrcmpiW(a.name.c_str(), b.name.c_str());
        return byName != 0 ? byName < 0 : a.endpointId < b.endpointId;
    });
}

// Other items that go above "Close" follow this one, whichever is inserted first: it goes to
// the top of the group between the separator and "Close".
HMENU AddMicrophoneMenu(HMENU systemMenu) {
    if (!systemMenu) return nullptr;
    int close = PositionOfCommand(systemMenu, SC_CLOSE);
    if (close < 0) return nullptr;
    int at = GroupTop(systemMenu, close);
    if (at == 0) {
        InsertMenuW(systemMenu, static_cast<UINT>(close), MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
        at = close + 1;
    }
    HMENU submenu = CreatePopupMenu();
    if (!submenu) return nullptr;
    if (!InsertMenuW(systemMenu, static_cast<UINT>(at), MF_BYPOSITION | MF_POPUP | MF_STRING,
                     reinterpret_cast<UINT_PTR>(submenu), kMenuText)) {
        DestroyMenu(submenu);
        return nullptr;
    }
    return submenu;
}

void FillMicrophoneMenu(HMENU submenu, const std::vector<CaptureDevice>& devices, int chosen,
                        const std::wstring& absent) {
    while (GetMenuItemCount(submenu) > 0) DeleteMenu(submenu, 0, MF_BYPOSITION);
    Append(submenu, kMicrophoneDefaultCommand, kDefaultText, absent.empty() && chosen == kMicrophoneDefault, true);
    const int listed = static_cast<int>(devices.size()) < kMaxDevices ? static_cast<int>(devices.size()) : kMaxDevices;
    for (int i = 0; i < listed; ++i)
        Append(submenu, kMicrophoneFirstDeviceCommand + static_cast<UINT>(i) * kMicrophoneCommandStep,
               NumberedName(devices, i), absent.empty() && chosen == i, true);
    // Greyed, it cannot be chosen; its command is beyond the devices listed.
    if (!absent.empty() && listed < kMaxDevices)
        Append(submenu, kMicrophoneFirstDeviceCommand + static_cast<UINT>(listed) * kMicrophoneCommandStep, absent,
               true, false);
}

void EnableMicrophoneMenu(HMENU systemMenu, HMENU submenu, bool enabled) {
    const int position = PositionOfSubmenu(systemMenu, submenu);
    if (position >= 0)
        EnableMenuItem(systemMenu, static_cast<UINT>(position), MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
}

int MicrophoneChoiceOf(WPARAM command) {
    const UINT id = static_cast<UINT>(command) & 0xFFF0;
    if (id == kMicrophoneDefaultCommand) return kMicrophoneDefault;
    if (id < kMicrophoneFirstDeviceCommand || id > kMicrophoneLastCommand) return kNotMicrophoneCommand;
    return static_cast<int>((id - kMicrophoneFirstDeviceCommand) / kMicrophoneCommandStep);
}
