#include "file_dialog.h"
#include <cwchar>

CFileDialog::CFileDialog(BOOL openFileDialog, LPCWSTR defaultExt, LPCWSTR fileName, DWORD flags,
                         LPCWSTR filter, HWND parent)
    : m_bOpenFileDialog(openFileDialog) {
    if (fileName != nullptr) wcsncpy(m_szFileName, fileName, MAX_PATH - 1);
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.hwndOwner = parent;
    m_ofn.lpstrFilter = filter;
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = MAX_PATH;
    m_ofn.lpstrFileTitle = m_szFileTitle;
    m_ofn.nMaxFileTitle = 256;
    m_ofn.lpstrDefExt = defaultExt;
    m_ofn.Flags = flags;
    m_ofn.lpfnHook = &HookProc;
}

INT_PTR CFileDialog::DoModal(HWND parent) {
    if (m_ofn.hwndOwner == nullptr) m_ofn.hwndOwner = parent;
    const BOOL chosen = m_bOpenFileDialog ? ::GetOpenFileNameW(&m_ofn) : ::GetSaveFileNameW(&m_ofn);
    return chosen ? IDOK : IDCANCEL;
}
