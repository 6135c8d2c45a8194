// The system's Open and Save As boxes, with the chosen path left in m_szFileName.
#pragma once
#include <windows.h>
#include <commdlg.h>

class CFileDialog {
public:
    // filter: pairs of description and pattern, each ending in a null, the list ending in two.
    CFileDialog(BOOL openFileDialog, LPCWSTR defaultExt = nullptr, LPCWSTR fileName = nullptr,
                DWORD flags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLESIZING,
                LPCWSTR filter = nullptr, HWND parent = nullptr);

    // IDOK when a file was chosen, IDCANCEL otherwise.
    INT_PTR DoModal(HWND parent = ::GetActiveWindow());

    OPENFILENAMEW m_ofn{};
    BOOL m_bOpenFileDialog;
    wchar_t m_szFileName[MAX_PATH] = L"";
    wchar_t m_szFileTitle[256] = L"";

private:
    static UINT_PTR CALLBACK HookProc(HWND, UINT, WPARAM, LPARAM) { return 0; }
};
