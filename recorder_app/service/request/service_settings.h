// What the requests make of the program's settings: the service's addresses on the
// configured host and the proxy set on every transfer. Kept here, beside libcurl, so that
// the settings themselves take no network library with them.
#pragma once
#include <string>
#include "settings/settings.h"

typedef void CURL;

// The address of one of the service's programs on the configured host: "http://" + host +
// path ("/publish.php", "/recorder-update.php", "/crash-report.php").
std::wstring ServiceAddress(const CSettings& settings, const wchar_t* path);

// Every HTTP transfer of the program calls this on its handle before performing it.
void ApplyProxy(const CSettings& settings, CURL* transfer);
