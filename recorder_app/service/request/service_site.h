// Where the service lives for people rather than for the program: its public web site (the
// forgotten-password page) and the support address quoted when something cannot go on.
#pragma once

constexpr wchar_t kServiceWebSiteHost[] = L"www.quillbank.com";
constexpr wchar_t kSupportEmail[] = L"support@quillbank.com";
