#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "framework/app_module.h"
#include "framework/offscreen_draw.h"
#include "framework/window_impl.h"

namespace {

// A control that paints its client area in two colours and counts reflected commands.
class Painted : public CWindowImpl<Painted>, public COffscreenDraw<Painted> {
public:
    BEGIN_MSG_MAP(Painted)
        MESSAGE_HANDLER(OCM__BASE + WM_COMMAND, OnReflectedCommand)
        CHAIN_MSG_MAP(COffscreenDraw<Painted>)
    END_MSG_MAP()

    void DoPaint(HDC dc) {
        RECT client;
        GetClientRect(m_hWnd, &client);
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(dc, &client, red);
        DeleteObject(red);
        SetPixel(dc, 3, 2, RGB(0, 0, 255));
    }
    LRESULT OnReflectedCommand(UINT, WPARAM wParam, LPARAM, BOOL&) {
        reflected = LOWORD(wParam);
        return 0;
    }
    int reflected = 0;
};

class Other : public CWindowImpl<Other> {
public:
    BEGIN_MSG_MAP(Other)
        REFLECT_NOTIFICATIONS()
    END_MSG_MAP()
};

class WindowImplTest : public ::testing::Test {
protected:
    void SetUp() override { g_module.Init(GetModuleHandleW(nullptr)); }
};

TEST_F(WindowImplTest, EachClassRegistersItsOwnAtlNameWithTheControlClassStyle) {
    Other parent;
    ASSERT_NE(parent.Create(nullptr, RECT{0, 0, 200, 100}, L"parent", WS_OVERLAPPEDWINDOW), nullptr);
    Painted child;
    ASSERT_NE(child.Create(parent, RECT{10, 10, 50, 30}), nullptr);

    const std::wstring name = Painted::GetWndClassName();
    EXPECT_EQ(name.rfind(L"ATL:", 0), 0u);
    EXPECT_NE(name, std::wstring(Other::GetWndClassName()));
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), name.c_str(), &info));
    EXPECT_EQ(info.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS));
    EXPECT_EQ(info.hbrBackground, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS),
              WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS);
}

TEST_F(WindowImplTest, PrintClientDrawsThroughTheOffscreenBitmap) {
    Other parent;
    ASSERT_NE(parent.Create(nullptr, RECT{0, 0, 200, 100}, L"parent", WS_OVERLAPPEDWINDOW), nullptr);
    Painted child;
    ASSERT_NE(child.Create(parent, RECT{0, 0, 8, 6}), nullptr);

    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 8, -6, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP dib = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, dib);
    child.SendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    const auto* pixels = static_cast<const DWORD*>(bits);
    EXPECT_EQ(pixels[0] & 0xFFFFFF, 0xFF0000u);          // red, as 0x00RRGGBB in a DIB
    EXPECT_EQ(pixels[2 * 8 + 3] & 0xFFFFFF, 0x0000FFu);  // the blue dot at (3, 2)
    SelectObject(dc, old);
    DeleteObject(dib);
    DeleteDC(dc);
    EXPECT_EQ(child.SendMessage(WM_ERASEBKGND, 0, 0), 1);
}

TEST_F(WindowImplTest, NotificationsAreReflectedToTheSendingControl) {
    Other parent;
    ASSERT_NE(parent.Create(nullptr, RECT{0, 0, 200, 100}, L"parent", WS_OVERLAPPEDWINDOW), nullptr);
    Painted child;
    ASSERT_NE(child.Create(parent, RECT{0, 0, 8, 6}, nullptr, 0, 0, 77), nullptr);
    parent.SendMessage(WM_COMMAND, MAKEWPARAM(77, BN_CLICKED), reinterpret_cast<LPARAM>(child.m_hWnd));
    EXPECT_EQ(child.reflected, 77);
}

TEST_F(WindowImplTest, DestroyingTheWindowDetachesTheObject) {
    Painted window;
    ASSERT_NE(window.Create(nullptr, RECT{0, 0, 10, 10}, L"x", WS_POPUP), nullptr);
    HWND handle = window;
    DestroyWindow(handle);
    EXPECT_EQ(window.m_hWnd, nullptr);
    EXPECT_EQ(framework::AttachedObject(handle), nullptr);
}

TEST_F(WindowImplTest, AnObjectGoingAwayTakesItsWindowWithoutRunningItsMap) {
    Other parent;
    ASSERT_NE(parent.Create(nullptr, RECT{0, 0, 200, 100}, L"parent", WS_OVERLAPPEDWINDOW), nullptr);
    HWND handle;
    {
        Painted child;
        handle = child.Create(parent, RECT{0, 0, 8, 6});
        ASSERT_NE(handle, nullptr);
    }
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_EQ(GetWindow(parent, GW_CHILD), nullptr);
}

}  // namespace
