// The "Microphone" submenu in a menu laid out like a window's system menu: where it goes,
// what it lists, and which choice each of its commands stands for. (No window is made: the
// real system menu is the end-to-end test's.)
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "app/microphone/microphone_menu.h"

namespace {

std::wstring ItemText(HMENU menu, int position) {
    wchar_t text[256] = L"";
    GetMenuStringW(menu, static_cast<UINT>(position), text, 256, MF_BYPOSITION);
    return text;
}

UINT ItemState(HMENU menu, int position) {
    return GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION);
}

std::vector<std::wstring> NamesOf(const std::vector<CaptureDevice>& devices) {
    std::vector<std::wstring> names;
    for (const CaptureDevice& device : devices) names.push_back(device.name);
    return names;
}

std::vector<std::wstring> EndpointsOf(const std::vector<CaptureDevice>& devices) {
    std::vector<std::wstring> ids;
    for (const CaptureDevice& device : devices) ids.push_back(device.endpointId);
    return ids;
}

int PositionOf(HMENU menu, UINT command) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        if (GetMenuItemID(menu, i) == command) return i;
    return -1;
}

class MicrophoneMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        systemMenu = CreatePopupMenu();
        ASSERT_NE(systemMenu, nullptr);
        AppendMenuW(systemMenu, MF_STRING, SC_RESTORE, L"&Restore");
        AppendMenuW(systemMenu, MF_STRING, SC_MOVE, L"&Move");
        AppendMenuW(systemMenu, MF_STRING, SC_MINIMIZE, L"Mi&nimize");
        AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(systemMenu, MF_STRING, SC_CLOSE, L"&Close");
    }
    void TearDown() override { DestroyMenu(systemMenu); }

    HMENU systemMenu = nullptr;
};

TEST_F(MicrophoneMenuTest, GoesBelowTheSeparatorAboveCloseAndStaysFirstOfTheItemsThere) {
    const int closeBefore = PositionOf(systemMenu, SC_CLOSE);
    ASSERT_GT(closeBefore, 0);
    ASSERT_TRUE(ItemState(systemMenu, closeBefore - 1) & MF_SEPARATOR);
    // Another item of the program's, put above "Close" before this one.
    InsertMenuW(systemMenu, static_cast<UINT>(closeBefore), MF_BYPOSITION | MF_STRING, 0x2000, L"Other...");

    HMENU submenu = AddMicrophoneMenu(systemMenu);
    ASSERT_NE(submenu, nullptr);
    const int close = PositionOf(systemMenu, SC_CLOSE);
    EXPECT_EQ(close, closeBefore + 2);
    EXPECT_TRUE(ItemState(systemMenu, closeBefore - 1) & MF_SEPARATOR);
    EXPECT_EQ(GetSubMenu(systemMenu, closeBefore), submenu);
    EXPECT_EQ(ItemText(systemMenu, closeBefore), L"M&icrophone");
    EXPECT_EQ(GetMenuItemID(systemMenu, closeBefore + 1), 0x2000u);
}

TEST_F(MicrophoneMenuTest, ListsTheDefaultThenTheDevicesWithTheChoiceChecked) {
    HMENU submenu = AddMicrophoneMenu(systemMenu);
    ASSERT_NE(submenu, nullptr);
    const std::vector<CaptureDevice> devices{{L"Built-in Microphone", L"{b}"}, {L"Tom & Jerry's USB Mic", L"{t}"}};
    FillMicrophoneMenu(submenu, devices, 1, L"");
    ASSERT_EQ(GetMenuItemCount(submenu), 3);
    EXPECT_EQ(ItemText(submenu, 0), L"System default");
    EXPECT_EQ(ItemText(submenu, 1), L"Built-in Microphone");
    EXPECT_EQ(ItemText(submenu, 2), L"Tom && Jerry's USB Mic");  // shown with its ampersand
    EXPECT_FALSE(ItemState(submenu, 0) & MF_CHECKED);
    EXPECT_FALSE(ItemState(submenu, 1) & MF_CHECKED);
    EXPECT_TRUE(ItemState(submenu, 2) & MF_CHECKED);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(MicrophoneChoiceOf(GetMenuItemID(submenu, i)), i - 1);

    // Listed alphabetically, since the system may number them differently at each start.
    std::vector<CaptureDevice> sorted{{L"usb Mic", L"{u}"}, {L"", L"{n}"}, {L"Built-in", L""}, {L"Line In", L"{l}"}};
    SortMicrophones(sorted);
    EXPECT_EQ(NamesOf(sorted), (std::vector<std::wstring>{L"Built-in", L"Line In", L"usb Mic"}));

    // Filled again when the menu next opens: nothing of the last list stays.
    FillMicrophoneMenu(submenu, {{L"Built-in Microphone", L"{b}"}}, kMicrophoneDefault, L"");
    ASSERT_EQ(GetMenuItemCount(submenu), 2);
    EXPECT_TRUE(ItemState(submenu, 0) & MF_CHECKED);
    EXPECT_FALSE(ItemState(submenu, 1) & MF_CHECKED);
}

TEST_F(MicrophoneMenuTest, AChosenDeviceThatIsGoneIsShownCheckedButCannotBeChosen) {
    HMENU submenu = AddMicrophoneMenu(systemMenu);
    ASSERT_NE(submenu, nullptr);
    FillMicrophoneMenu(submenu, {{L"Built-in Microphone", L"{b}"}}, kMicrophoneDefault, L"Podcast USB Microphone");
    ASSERT_EQ(GetMenuItemCount(submenu), 3);
    EXPECT_FALSE(ItemState(submenu, 0) & MF_CHECKED);
    EXPECT_EQ(ItemText(submenu, 2), L"Podcast USB Microphone");
    EXPECT_TRUE(ItemState(submenu, 2) & MF_CHECKED);
    EXPECT_TRUE(ItemState(submenu, 2) & MF_GRAYED);
}

// Two microphones of one model: told apart by a number, and in the same places at every
// start (by their endpoints), however the system numbers them.
TEST_F(MicrophoneMenuTest, DevicesOfOneNameAreNumberedInTheOrderOfTheirEndpoints) {
    HMENU submenu = AddMicrophoneMenu(systemMenu);
    ASSERT_NE(submenu, nullptr);
    const CaptureDevice first{L"USB Mic", L"{0.0.1.00000000}.{1}"}, second{L"USB Mic", L"{0.0.1.00000000}.{2}"},
        other{L"Line In", L"{0.0.1.00000000}.{3}"};
    std::vector<CaptureDevice> devices{second, other, first}, again{first, second, other};
    SortMicrophones(devices);
    SortMicrophones(again);
    EXPECT_EQ(EndpointsOf(devices), EndpointsOf(again));
    EXPECT_EQ(EndpointsOf(devices), (std::vector<std::wstring>{other.endpointId, first.endpointId, second.endpointId}));
    FillMicrophoneMenu(submenu, devices, 2, L"");
    ASSERT_EQ(GetMenuItemCount(submenu), 4);
    EXPECT_EQ(ItemText(submenu, 1), L"Line In");
    EXPECT_EQ(ItemText(submenu, 2), L"USB Mic");
    EXPECT_EQ(ItemText(submenu, 3), L"USB Mic (2)");
    EXPECT_TRUE(ItemState(submenu, 3) & MF_CHECKED);
    EXPECT_FALSE(ItemState(submenu, 2) & MF_CHECKED);
}

TEST(MicrophoneCommands, OnlyTheSubmenusCommandsAreChoicesWhateverTheLowBits) {
    EXPECT_EQ(MicrophoneChoiceOf(0x1013), 0);  // the system's bits in the low four
    EXPECT_EQ(MicrophoneChoiceOf(0x1FF0), 254);
    EXPECT_EQ(MicrophoneChoiceOf(0x2000), kNotMicrophoneCommand);  // the next item's
    EXPECT_EQ(MicrophoneChoiceOf(SC_CLOSE), kNotMicrophoneCommand);
}

}  // namespace
