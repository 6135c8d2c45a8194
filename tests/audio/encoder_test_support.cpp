// Helpers of the encoder and recorder tests.
#include "encoder_test_support.h"

#include <cstdio>

#include "audio/encoding/encoder_binding.h"

TempFolder::TempFolder() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static int counter = 0;
    wchar_t name[64];
    swprintf(name, 64, L"capture_tests_%lu_%d", GetCurrentProcessId(), ++counter);
    m_path = std::wstring(base) + name;
    CreateDirectoryW(m_path.c_str(), nullptr);
}

TempFolder::~TempFolder() {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((m_path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            DeleteFileW((m_path + L"\\" + found.cFileName).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(m_path.c_str());
}

std::string ReadWholeFile(const std::wstring& path) {
    std::string bytes;
    if (std::FILE* file = _wfopen(path.c_str(), L"rb")) {
        char buffer[4096];
        for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            bytes.append(buffer, got);
        std::fclose(file);
    }
    return bytes;
}

void WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    if (std::FILE* file = _wfopen(path.c_str(), L"wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

namespace {

HMODULE FakeLibrary() { return GetModuleHandleW(L"lame_enc.dll"); }

}  // namespace

bool LoadFakeEncoder(const FakeEncoderScript& script) {
    if (encoder_binding::Configure(44100, kEncoderModeMono, 96, kNoMaxBitrate) != 0) return false;
    auto setScript = reinterpret_cast<FakeEncoderSetScriptFn>(
        reinterpret_cast<void*>(GetProcAddress(FakeLibrary(), "FakeEncoderSetScript")));
    if (!setScript) return false;
    setScript(&script);
    return true;
}

const FakeEncoderLog& FakeLog() {
    auto getLog = reinterpret_cast<FakeEncoderLogFn>(
        reinterpret_cast<void*>(GetProcAddress(FakeLibrary(), "FakeEncoderGetLog")));
    return *getLog();
}
