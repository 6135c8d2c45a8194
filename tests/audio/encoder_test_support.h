// Helpers of the encoder and recorder tests: temporary files and the scripted encoder
// library (fake_lame_enc.dll, loaded as lame_enc.dll from beside the test program).
#pragma once
#include <windows.h>

#include <string>

#include "fake_lame_enc.h"

// A fresh folder under the temporary folder, removed with its files at destruction.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::wstring Path(const wchar_t* name) const { return m_path + L"\\" + name; }

private:
    std::wstring m_path;
};

std::string ReadWholeFile(const std::wstring& path);
void WriteWholeFile(const std::wstring& path, const std::string& bytes);
bool FileExists(const std::wstring& path);

// Configures the binding (loading the scripted library) and installs script.
bool LoadFakeEncoder(const FakeEncoderScript& script = FakeEncoderScript{});
const FakeEncoderLog& FakeLog();
