// A stand-in web browser for the publication tests: registered as the handler of http
// addresses in the test's Wine prefix, it appends the address it was started with to
// browser_stub.txt beside itself (UTF-8, one line each) and ends.
#include <windows.h>
#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    wchar_t self[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring record = self;
    record = record.substr(0, record.find_last_of(L'\\') + 1) + L"browser_stub.txt";
    char address[4096] = "";
    WideCharToMultiByte(CP_UTF8, 0, argv[1], -1, address, sizeof address, nullptr, nullptr);
    FILE* f = _wfopen(record.c_str(), L"ab");
    if (f == nullptr) return 1;
    std::fprintf(f, "%s\n", address);
    return std::fclose(f) == 0 ? 0 : 1;
}
