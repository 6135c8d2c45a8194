// The step between the archive's download and its unpacking: the archive held in memory is
// checked against the signature of the update query's reply before any of it is written.
#pragma once
#include <optional>
#include <string>

// Logs the outcome. A program with the service's key throws std::runtime_error for an archive
// whose signature is missing, malformed or wrong; one without a key logs that the archive is
// not verified and lets it pass.
void VerifyUpdateArchive(const std::string& archive, const std::optional<std::wstring>& signature);
