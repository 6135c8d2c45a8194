// The step between the archive's download and its unpacking: the archive held in memory is
// checked, with the version the reply offered, against the reply's signature of the two
// before any of it is written.
#pragma once
#include <string>
#include "update_reply.h"

// Logs the outcome. A program with the service's key throws std::runtime_error for an update
// whose signature is missing, malformed or wrong, or whose version is not newer than the
// running one; one without a key logs that the archive is not verified and lets it pass.
void VerifyUpdateArchive(const std::string& archive, const SignedOffer& offer);
