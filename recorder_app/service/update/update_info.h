// What the update query offered. It lives on the stack of the update check thread for the
// whole procedure.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include "update_reply.h"

struct CUpdateInfo {
    int32_t m_major = 0;
    int32_t m_minor = 0;
    std::wstring m_fileLocation;  // address of the update archive
    int32_t m_fileSize = 0;       // as announced; the progress range
    uint8_t m_mustUpdate = 0;
    HWND m_progressWnd = nullptr;  // the update dialog once it runs
    SignedOffer m_signedOffer;     // the version as offered and its signature with the archive
};
