#include <winsock2.h>
#include "standin_client.h"
#include <windows.h>
#include <wincrypt.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include "service/request/text_encoding.h"

namespace {

std::string Unhex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

// Unix paths of the test environment are reached through Wine's Z: drive.
std::wstring WindowsPath(const std::string& unixPath) {
    std::wstring path = L"Z:" + FromUtf8(unixPath);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

StandinRecord ParseRecord(const std::string& text) {
    StandinRecord record;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        const size_t equals = line.find('=');
        if (equals != std::string::npos) record[line.substr(0, equals)] = Unhex(line.substr(equals + 1));
        start = end + 1;
    }
    return record;
}

}  // namespace

std::wstring StandinHost() { return FromUtf8(Environment("QB_STANDIN_HOST")); }

std::wstring StandinDir() { return WindowsPath(Environment("QB_STANDIN_DIR")); }

int EnvironmentPort(const char* variable) { return std::atoi(Environment(variable).c_str()); }

std::vector<StandinRecord> StandinRecords() {
    std::vector<StandinRecord> records;
    for (int n = 1;; ++n) {
        wchar_t name[32];
        swprintf(name, 32, L"\\requests\\%04d.txt", n);
        const std::wstring path = StandinDir() + name;
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) break;
        records.push_back(ParseRecord(ReadWholeFile(path)));
    }
    return records;
}

bool WaitForStandinRecords(size_t count, unsigned timeoutMs) {
    const DWORD start = GetTickCount();
    while (StandinRecords().size() < count) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(50);
    }
    return true;
}

namespace {

void DeleteFilesIn(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((folder + L"\\" + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace

void ResetStandin() {
    DeleteFileW((StandinDir() + L"\\behaviour").c_str());
    DeleteFilesIn(StandinDir() + L"\\requests");
    DeleteFilesIn(StandinDir() + L"\\uploads");
}

void SetStandinBehaviour(const std::string& behaviour) {
    WriteWholeFile(StandinDir() + L"\\behaviour", behaviour + "\n");
}

void SetStandinReply(int status, const std::string& body) {
    SetStandinBehaviour("reply " + std::to_string(status) + " " + HexOf(body));
}

std::string HexOf(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (const unsigned char c : bytes) {
        hex.push_back(digits[c >> 4]);
        hex.push_back(digits[c & 15]);
    }
    return hex;
}

std::string Md5Hex(const std::string& bytes) {
    HCRYPTPROV provider = 0;
    HCRYPTHASH hash = 0;
    std::string result;
    if (CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) {
        if (CryptCreateHash(provider, CALG_MD5, 0, 0, &hash)) {
            CryptHashData(hash, reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()), 0);
            BYTE digest[16];
            DWORD size = sizeof digest;
            if (CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0))
                result = HexOf(std::string(reinterpret_cast<char*>(digest), size));
            CryptDestroyHash(hash);
        }
        CryptReleaseContext(provider, 0);
    }
    return result;
}

std::string ReadWholeFile(const std::wstring& path) {
    std::string bytes;
    if (FILE* file = _wfopen(path.c_str(), L"rb")) {
        char buffer[65536];
        size_t got;
        while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
        fclose(file);
    }
    return bytes;
}

void WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    if (FILE* file = _wfopen(path.c_str(), L"wb")) {
        fwrite(bytes.data(), 1, bytes.size(), file);
        fclose(file);
    }
}

std::string NoiseBytes(size_t size, uint32_t seed) {
    std::string bytes(size, '\0');
    uint32_t state = seed * 2654435761u + 1;
    for (char& c : bytes) {
        state = state * 1664525u + 1013904223u;
        c = static_cast<char>(state >> 24);
    }
    return bytes;
}

std::wstring TestFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static int counter = 0;
    std::wstring folder = std::wstring(temp) + L"qb-service-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                          std::to_wstring(++counter);
    CreateDirectoryW(folder.c_str(), nullptr);
    folder += L"\\" + name;
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

ClosedPort::ClosedPort() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    const SOCKET held = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    bind(held, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(held, reinterpret_cast<sockaddr*>(&address), &size);
    m_socket = held;
    m_port = ntohs(address.sin_port);
}

ClosedPort::~ClosedPort() {
    closesocket(static_cast<SOCKET>(m_socket));
    WSACleanup();
}
