#include "update_verify.h"
#include <stdexcept>
#include "runtime/log_file.h"
#include "runtime/version.h"
#include "update_key.h"
#include "update_signature.h"

void VerifyUpdateArchive(const std::string& archive, const SignedOffer& offer) {
    switch (CheckUpdateSignature(BuiltInUpdateKey(), offer, archive, kVersionMajor, kVersionMinor)) {
        case UpdateSignature::Verified:
            g_log.Print(L"Update archive signature verified");
            return;
        case UpdateSignature::NoKey:
            g_log.Print(L"Update archive not verified: this program was built without the service's public key");
            return;
        case UpdateSignature::Missing:
            g_log.Print(L"!!! Update refused: the service sent no signature for the archive");
            break;
        case UpdateSignature::Malformed:
            g_log.Print(L"!!! Update refused: the archive's signature is malformed");
            break;
        case UpdateSignature::NotNewer:
            g_log.Print(L"!!! Update refused: version %s is not newer than this program's %d.%02d",
                        offer.version.c_str(), kVersionMajor, kVersionMinor);
            throw std::runtime_error("the update is not newer than this program");
        case UpdateSignature::Wrong:
            g_log.Print(L"!!! Update refused: the signature does not match the offered version and archive");
            break;
    }
    throw std::runtime_error("the update archive is not signed by the service");
}
