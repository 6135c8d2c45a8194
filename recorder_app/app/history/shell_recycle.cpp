#include "app/history/shell_recycle.h"

#include <shobjidl.h>

#include <string>

#include "audio/capture/endpoint_name.h"

namespace {

// Defined here rather than taken from the SDK's GUID definitions, which need INITGUID.
const CLSID kFileOperation = {0x3ad05575, 0x8857, 0x4850, {0x92, 0x77, 0x11, 0xb8, 0x5b, 0xdb, 0x8e, 0x09}};

bool Exists(LPCWSTR path) {
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

template <class Interface>
void Release(Interface*& object) {
    if (object) object->Release();
    object = nullptr;
}

// Listens for the one delete's report: the item the shell made in the Recycle Bin, or none
// when it deleted the file outright. Lives on the stack for one PerformOperations call.
class DeleteReport : public IFileOperationProgressSink {
public:
    bool reported = false;
    HRESULT result = E_FAIL;
    bool inBin = false;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IFileOperationProgressSink)) {
            *object = static_cast<IFileOperationProgressSink*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE PostDeleteItem(DWORD, IShellItem*, HRESULT hrDelete, IShellItem* created) override {
        reported = true;
        result = hrDelete;
        inBin = SUCCEEDED(hrDelete) && created != nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE StartOperations() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE FinishOperations(HRESULT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PreRenameItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostRenameItem(DWORD, IShellItem*, LPCWSTR, HRESULT, IShellItem*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PreMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT, IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PreCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT, IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PreDeleteItem(DWORD, IShellItem*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PreNewItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostNewItem(DWORD, IShellItem*, LPCWSTR, LPCWSTR, DWORD, HRESULT, IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UpdateProgress(UINT, UINT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResetTimer() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PauseTimer() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResumeTimer() override { return S_OK; }
};

// False when the system offers no working file operation object (it then did nothing).
bool RecycleThroughFileOperation(LPCWSTR path, RecycleReport& report) {
    IFileOperation* operation = nullptr;
    IShellItem* item = nullptr;
    DeleteReport sink;
    bool offered = false;
    if (SUCCEEDED(CoCreateInstance(kFileOperation, nullptr, CLSCTX_ALL, __uuidof(IFileOperation),
                                   reinterpret_cast<void**>(&operation))) &&
        SUCCEEDED(operation->SetOperationFlags(FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI)) &&
        SUCCEEDED(SHCreateItemFromParsingName(path, nullptr, __uuidof(IShellItem), reinterpret_cast<void**>(&item))) &&
        SUCCEEDED(operation->DeleteItem(item, &sink))) {
        const HRESULT performed = operation->PerformOperations();
        offered = performed != E_NOTIMPL || sink.reported;
        if (sink.reported && SUCCEEDED(sink.result) && !Exists(path))
            report = sink.inBin ? RecycleReport::kInBin : RecycleReport::kDeleted;
        else
            report = Exists(path) ? RecycleReport::kFailed : RecycleReport::kUnconfirmed;
    }
    Release(item);
    Release(operation);
    return offered;
}

bool BinItems(LPCWSTR path, int64_t& items) {
    wchar_t root[MAX_PATH] = L"";
    SHQUERYRBINFO info{};
    info.cbSize = sizeof info;
    if (!GetVolumePathNameW(path, root, MAX_PATH) || FAILED(SHQueryRecycleBinW(root, &info))) return false;
    items = info.i64NumItems;
    return true;
}

RecycleReport RecycleThroughFileOp(LPCWSTR path) {
    int64_t before = 0, after = 0;
    const bool counted = BinItems(path, before);
    std::wstring from = path;
    from.push_back(L'\0');  // the list ends with a second zero
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    const int result = SHFileOperationW(&operation);
    if (result != 0 || operation.fAnyOperationsAborted || Exists(path)) return RecycleReport::kFailed;
    if (!counted || !BinItems(path, after)) return RecycleReport::kUnconfirmed;
    return after > before ? RecycleReport::kInBin : RecycleReport::kDeleted;
}

}  // namespace

RecycleReport WINAPI ShellRecycle(LPCWSTR path) {
    const ComScope com;
    RecycleReport report = RecycleReport::kFailed;
    if (RecycleThroughFileOperation(path, report)) return report;
    return RecycleThroughFileOp(path);
}
