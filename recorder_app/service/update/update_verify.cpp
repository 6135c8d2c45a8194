#include "update_verify.h"
#include <stdexcept>
#include "runtime/log_file.h"
#include "update_key.h"
#include "update_signature.h"

void VerifyUpdateArchive(const std::string& archive, const std::optional<std::wstring>& signature) {
    switch (CheckArchiveSignature(BuiltInUpdateKey(), signature, archive)) {
        case ArchiveSignature::Verified:
            g_log.Print(L"Update archive signature verified");
            return;
        case ArchiveSignature::NoKey:
            g_log.Print(L"Update archive not verified: this program was built without the service's public key");
            return;
        case ArchiveSignature::Missing:
            g_log.Print(L"!!! Update refused: the service sent no signature for the archive");
            break;
        case ArchiveSignature::Malformed:
            g_log.Print(L"!!! Update refused: the archive's signature is malformed");
            break;
        case ArchiveSignature::Wrong:
            g_log.Print(L"!!! Update refused: the archive's signature does not match it");
            break;
    }
    throw std::runtime_error("the update archive is not signed by the service");
}
