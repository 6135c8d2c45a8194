// The two web pages the program opens in the browser: the forgotten-password page, which is
// given the login name, and a published episode's podcast site, named by the service's reply.
// Neither text from the user nor from the service may change what address is opened beyond
// its own place in it. Pure logic.
#pragma once
#include <string>

// UTF-8 bytes of text with everything but letters, digits and "-._~" percent-encoded, so that
// spaces, "&", "#" or "/" reach the page as part of the value. A lone surrogate counts as
// U+FFFD.
std::wstring PercentEncodeUtf8(const std::wstring& text);

// A host label: 1 to 63 ASCII letters, digits and hyphens, not beginning or ending with one.
bool IsHostLabel(const std::wstring& label);

// "http://" + webSiteHost + "/forgotpwd.html?username=" + the encoded login name.
std::wstring ForgotPasswordAddress(const std::wstring& webSiteHost, const std::wstring& login);

// "http://" + siteName + "." + serverHost + "/index.html"; the caller checks the site name.
std::wstring EpisodePageAddress(const std::wstring& siteName, const std::wstring& serverHost);
