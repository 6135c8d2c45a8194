// The addresses opened in the browser: the login name stays the value of its parameter, and
// only a plain host label from the service's reply becomes part of a host name.
#include <gtest/gtest.h>
#include "service/publication/web_address.h"

TEST(WebAddress, LoginNameIsPercentEncodedAsUtf8) {
    EXPECT_EQ(ForgotPasswordAddress(L"www.example.com", L"Zoë & Co #1"),
              L"http://www.example.com/forgotpwd.html?username=Zo%C3%AB%20%26%20Co%20%231");
    EXPECT_EQ(PercentEncodeUtf8(L"a-b_c.d~e"), L"a-b_c.d~e");
    EXPECT_EQ(PercentEncodeUtf8(L"x=1&y=2/?"), L"x%3D1%26y%3D2%2F%3F");
    EXPECT_EQ(PercentEncodeUtf8(L"山\U0001F511"), L"%E5%B1%B1%F0%9F%94%91");
    EXPECT_EQ(PercentEncodeUtf8(std::wstring(1, wchar_t(0xD800))), L"%EF%BF%BD");
}

TEST(WebAddress, OnlyHostLabelsAreSiteNames) {
    EXPECT_TRUE(IsHostLabel(L"morningshow"));
    EXPECT_TRUE(IsHostLabel(L"late-night-2"));
    EXPECT_TRUE(IsHostLabel(std::wstring(63, L'a')));
    for (const wchar_t* bad : {L"", L"-x", L"x-", L"a.b", L"evil.com/x", L"a@b", L"a#", L"ü", L"a b"})
        EXPECT_FALSE(IsHostLabel(bad)) << bad;
    EXPECT_FALSE(IsHostLabel(std::wstring(64, L'a')));
    EXPECT_EQ(EpisodePageAddress(L"morningshow", L"quillbank.com"), L"http://morningshow.quillbank.com/index.html");
}
