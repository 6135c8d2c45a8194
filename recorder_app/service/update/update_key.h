// The service's Ed25519 public key for update archives, built in from the file named by the
// CMake option QB_UPDATE_PUBLIC_KEY_FILE.
#pragma once
#include <cstdint>

// The key's 32 bytes, or null when the program was built without a key.
const uint8_t* BuiltInUpdateKey();
