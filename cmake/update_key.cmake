# The service's Ed25519 public key for update archives. A program built with it refuses an
# archive that the service did not sign; one built without it (the option empty) takes
# archives unverified and says so in its log.
set(QB_UPDATE_PUBLIC_KEY_FILE "" CACHE FILEPATH
    "File holding the service's Ed25519 public key for update archives as 64 hex digits (empty: none)")
# The stand-in service's private key, when the build uses the stand-in's key pair: the tests
# hand it to the stand-in, which signs the archives it offers with it.
set(QB_UPDATE_SIGNING_KEY_FILE "" CACHE FILEPATH "The stand-in service's private key for update archives (tests only)")

set(QB_UPDATE_KEY_DIR ${CMAKE_BINARY_DIR}/update_key)
if(QB_UPDATE_PUBLIC_KEY_FILE)
  if(NOT EXISTS "${QB_UPDATE_PUBLIC_KEY_FILE}")
    message(FATAL_ERROR "QB_UPDATE_PUBLIC_KEY_FILE: no such file: ${QB_UPDATE_PUBLIC_KEY_FILE}")
  endif()
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${QB_UPDATE_PUBLIC_KEY_FILE}")
  file(READ "${QB_UPDATE_PUBLIC_KEY_FILE}" key_text)
  string(STRIP "${key_text}" key_text)
  if(NOT key_text MATCHES "^[0-9A-Fa-f]+$")
    message(FATAL_ERROR "QB_UPDATE_PUBLIC_KEY_FILE (${QB_UPDATE_PUBLIC_KEY_FILE}) must hold the Ed25519 public "
                        "key as 64 hex digits and nothing else; it holds other characters")
  endif()
  string(LENGTH "${key_text}" key_length)
  if(NOT key_length EQUAL 64)
    message(FATAL_ERROR "QB_UPDATE_PUBLIC_KEY_FILE (${QB_UPDATE_PUBLIC_KEY_FILE}) must hold the Ed25519 public "
                        "key as 64 hex digits; it holds ${key_length}")
  endif()
  string(REGEX REPLACE "([0-9A-Fa-f][0-9A-Fa-f])" "0x\\1, " key_bytes "${key_text}")
  file(CONFIGURE OUTPUT ${QB_UPDATE_KEY_DIR}/update_public_key.h CONTENT
"// Generated from ${QB_UPDATE_PUBLIC_KEY_FILE} at configure time.
#pragma once
#include <cstdint>
static const uint8_t kUpdatePublicKey[32] = {${key_bytes}};
")
  message(STATUS "Update archives: verified with the key in ${QB_UPDATE_PUBLIC_KEY_FILE}")
  set(QB_HAVE_UPDATE_KEY ON)
else()
  file(REMOVE ${QB_UPDATE_KEY_DIR}/update_public_key.h)
  message(STATUS "Update archives: NOT verified (QB_UPDATE_PUBLIC_KEY_FILE is empty)")
  set(QB_HAVE_UPDATE_KEY OFF)
endif()

# The signature check: the SHA-512 and Ed25519 part of OpenSSL's libcrypto, cross-built by
# scripts/build-deps into a folder of its own, static.
set(QB_CRYPTO_PREFIX ${QB_DEPS_PREFIX}/openssl-ed25519)
if(NOT EXISTS "${QB_CRYPTO_PREFIX}/include/openssl/sha.h" OR NOT EXISTS "${QB_CRYPTO_PREFIX}/lib/libcrypto.a")
  message(FATAL_ERROR "${QB_CRYPTO_PREFIX} holds no libcrypto for the signature check: run scripts/build-deps")
endif()
add_library(deps_crypto INTERFACE)
target_include_directories(deps_crypto SYSTEM INTERFACE ${QB_CRYPTO_PREFIX}/include)
target_link_libraries(deps_crypto INTERFACE ${QB_CRYPTO_PREFIX}/lib/libcrypto.a)

# libsodium signs in the tests, independently of the program's check.
if(NOT EXISTS "${QB_DEPS_PREFIX}/include/sodium.h")
  message(FATAL_ERROR "QB_DEPS_PREFIX (${QB_DEPS_PREFIX}) holds no libsodium: run scripts/build-deps")
endif()
add_library(deps_sodium INTERFACE)
target_include_directories(deps_sodium SYSTEM INTERFACE ${QB_DEPS_PREFIX}/include)
target_link_libraries(deps_sodium INTERFACE ${QB_DEPS_PREFIX}/lib/libsodium.a advapi32)
target_compile_definitions(deps_sodium INTERFACE SODIUM_STATIC)
