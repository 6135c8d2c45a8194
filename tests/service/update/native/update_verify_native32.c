/* The update archive's signature check of update_signature.cpp, natively for 32-bit x86 Linux
 * against the same cut-down libcrypto (scripts/bench-native32 builds both): what the check's
 * own code costs without Wine, beside which scripts/bench.d/update.sh sets the program's.
 *   update_verify_native32 ARCHIVE VERSION SIGNATURE_FILE KEY_FILE
 *                          ms=<best of three checks of the archive, held in memory, as VERSION
 *                          against the raw 64-byte signature with the raw 32-byte key>
 */
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/sha.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

/* As the program declares them: libcrypto's own Ed25519 verification and the processor check
 * that picks the SHA-512 assembly's path. */
int ossl_ed25519_verify(const uint8_t *message, size_t message_len, const uint8_t signature[64],
                        const uint8_t public_key[32], void *libctx, const char *propq);
void OPENSSL_cpuid_setup(void);

enum { kSignatureBytes = 64, kKeyBytes = 32, kMaxVersionBytes = 64 };

/* The whole file in memory; its size in *size. NULL when it cannot be read. */
static unsigned char *read_whole(const char *path, size_t *size) {
    FILE *file = fopen(path, "rb");
    unsigned char *bytes = NULL;
    long length;
    if (file == NULL) return NULL;
    if (fseek(file, 0, SEEK_END) == 0 && (length = ftell(file)) >= 0 && fseek(file, 0, SEEK_SET) == 0 &&
        (bytes = malloc(length > 0 ? (size_t)length : 1)) != NULL) {
        *size = fread(bytes, 1, (size_t)length, file);
        if (*size != (size_t)length) {
            free(bytes);
            bytes = NULL;
        }
    }
    fclose(file);
    return bytes;
}

/* The message the service signs, the version, a line end and the archive's SHA-512, checked
 * against the signature: the work of CheckUpdateSignature once the reply's values are read. */
static int verified(const char *version, const unsigned char *archive, size_t archive_size,
                    const unsigned char *signature, const unsigned char *key) {
    unsigned char message[kMaxVersionBytes + 1 + SHA512_DIGEST_LENGTH];
    const size_t version_len = strlen(version);
    SHA512_CTX context;
    memcpy(message, version, version_len);
    message[version_len] = '\n';
    if (SHA512_Init(&context) != 1 || SHA512_Update(&context, archive, archive_size) != 1 ||
        SHA512_Final(message + version_len + 1, &context) != 1)
        return 0;
    return ossl_ed25519_verify(message, version_len + 1 + SHA512_DIGEST_LENGTH, signature, key, NULL, NULL) == 1;
}

int main(int argc, char **argv) {
    size_t archive_size = 0, signature_size = 0, key_size = 0;
    unsigned char *archive, *signature, *key;
    double best = 1e9;
    int round;
    if (argc != 5 || strlen(argv[2]) > kMaxVersionBytes) {
        fprintf(stderr, "usage: update_verify_native32 ARCHIVE VERSION SIGNATURE_FILE KEY_FILE\n");
        return 2;
    }
    archive = read_whole(argv[1], &archive_size);
    signature = read_whole(argv[3], &signature_size);
    key = read_whole(argv[4], &key_size);
    if (archive == NULL || signature == NULL || key == NULL || signature_size != kSignatureBytes ||
        key_size != kKeyBytes) {
        fprintf(stderr, "cannot read the archive, a 64-byte signature and a 32-byte key\n");
        return 2;
    }
    OPENSSL_cpuid_setup();
    for (round = 0; round < 3; ++round) {
        struct timespec start, end;
        double seconds;
        clock_gettime(CLOCK_MONOTONIC, &start);
        if (!verified(argv[2], archive, archive_size, signature, key)) {
            fprintf(stderr, "the archive did not verify\n");
            return 1;
        }
        clock_gettime(CLOCK_MONOTONIC, &end);
        seconds = (double)(end.tv_sec - start.tv_sec) + (double)(end.tv_nsec - start.tv_nsec) / 1e9;
        if (seconds < best) best = seconds;
    }
    printf("ms=%.1f\n", best * 1000.0);
    free(archive);
    free(signature);
    free(key);
    return 0;
}
