// What the request tests need from the stand-in service that standin.sh started around them:
// where it listens, what it recorded, and how to make it misbehave.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// One recorded request: key -> value (decoded bytes).
using StandinRecord = std::map<std::string, std::string>;

std::wstring StandinHost();                        // "127.0.0.1:PORT"
std::wstring StandinDir();                         // its state folder, as a Windows path
int EnvironmentPort(const char* variable);         // a port the helper exported, 0 if none
std::vector<StandinRecord> StandinRecords();       // in the order received
// Waits (bounded) until at least count requests were recorded.
bool WaitForStandinRecords(size_t count, unsigned timeoutMs);
// Forgets what the service recorded, stored and was told, so that a test starts afresh even
// when several run against one service.
void ResetStandin();
// The first line of the service's behaviour file, e.g. "reply 500 <hex>".
void SetStandinBehaviour(const std::string& behaviour);
// Reply with exactly this status and body.
void SetStandinReply(int status, const std::string& body);

std::string HexOf(const std::string& bytes);
std::string Md5Hex(const std::string& bytes);
std::string ReadWholeFile(const std::wstring& path);
void WriteWholeFile(const std::wstring& path, const std::string& bytes);
// Deterministic bytes that look like nothing in particular.
std::string NoiseBytes(size_t size, uint32_t seed);
// A fresh folder for this test's files, removed by the test environment.
std::wstring TestFolder(const std::wstring& name);
// A loopback port that is held but never listens, so connections to it are refused.
class ClosedPort {
public:
    ClosedPort();
    ~ClosedPort();
    ClosedPort(const ClosedPort&) = delete;
    ClosedPort& operator=(const ClosedPort&) = delete;
    int Port() const { return m_port; }

private:
    uintptr_t m_socket;
    int m_port = 0;
};
