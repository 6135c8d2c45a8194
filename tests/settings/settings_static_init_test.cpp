// The settings read at static initialisation, before the entry point: a probe program is
// started on a prepared registry and prints what g_settings held when main began.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "settings/settings.h"
#include "test_registry.h"

namespace {

// Runs settings_probe.exe (beside this test program) on the given registry state and
// returns what it printed.
std::string RunProbe(const TestRegistry& registry) {
    wchar_t module[MAX_PATH];
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring probe = module;
    probe = probe.substr(0, probe.find_last_of(L'\\') + 1) + L"settings_probe.exe";

    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return "no pipe";
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    SetEnvironmentVariableW(L"QB_TEST_REGISTRY_KEY", registry.RealPath().c_str());

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process{};
    std::wstring commandLine = L"\"" + probe + L"\"";
    const BOOL started = CreateProcessW(probe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                        nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    std::string output;
    if (started) {
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) output.append(buffer, got);
        WaitForSingleObject(process.hProcess, 30000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    } else {
        output = "probe did not start";
    }
    CloseHandle(readEnd);
    return output;
}

TEST(SettingsStaticInit, GlobalSettingsAreReadBeforeTheProgramRuns) {
    TestRegistry registry;
    registry.SetString(kRecorderKey, L"ServerHost", L"127.0.0.1:8123");
    registry.SetDword(kRecorderKey, L"ProxyType", PROXY_SOCKS5);
    registry.SetString(kRecorderKey, L"ProxyUrl", L"127.0.0.1:1080");
    EXPECT_EQ(RunProbe(registry), "host=127.0.0.1:8123\ntype=3\nproxy=127.0.0.1:1080\n");
}

TEST(SettingsStaticInit, AFreshRegistryStartsDirectWithTheDefaultHost) {
    TestRegistry registry;
    EXPECT_EQ(RunProbe(registry), "host=quillbank.com\ntype=0\nproxy=\n");
}

}  // namespace
