// Benchmark program of scripts/bench.d/update.sh; prints its figures as name=value lines.
//   update_bench unpack ARCHIVE FOLDER   seconds=<time to unpack the archive into FOLDER>
//   update_bench download URL APPDIR [VERSION SIGNATURE]
//                                        seconds=<download, check as VERSION against
//                                        SIGNATURE (base64), write and unpack into
//                                        APPDIR\updates>,
//                                        peak_growth_mb=<largest growth of the process's memory
//                                        meanwhile>
//   update_bench verify ARCHIVE VERSION SIGNATURE_FILE KEY_FILE
//                                        ms=<best of three checks of the archive, held in
//                                        memory, as VERSION against the base64 signature
//                                        with the key (64 hex digits)>
#include <curl/curl.h>
#include <windows.h>
#include <cstdio>
#include <exception>
#include "../../support/bench_support.h"
#include "service/update/unpack.h"
#include "service/update/update_download.h"
#include "service/update/update_signature.h"
#include "runtime/version.h"
#include "settings/settings.h"

std::string ReadWhole(const wchar_t* path) {
    std::string bytes;
    if (FILE* file = _wfopen(path, L"rb")) {
        char chunk[1 << 16];
        for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) bytes.append(chunk, n);
        std::fclose(file);
    }
    return bytes;
}

std::wstring Trimmed(const std::string& text) {
    std::wstring wide(text.begin(), text.end());
    while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r')) wide.pop_back();
    return wide;
}

int Verify(const wchar_t* archivePath, const wchar_t* version, const wchar_t* signaturePath, const wchar_t* keyPath) {
    const std::string archive = ReadWhole(archivePath);
    const SignedOffer offer{version, Trimmed(ReadWhole(signaturePath))};
    const std::wstring hex = Trimmed(ReadWhole(keyPath));
    uint8_t key[kUpdateKeyBytes];
    if (hex.size() != 2 * kUpdateKeyBytes) return 2;
    for (size_t i = 0; i < kUpdateKeyBytes; ++i) key[i] = static_cast<uint8_t>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
    double best = 1e9;
    for (int round = 0; round < 3; ++round) {
        LARGE_INTEGER start;
        QueryPerformanceCounter(&start);
        const UpdateSignature result = CheckUpdateSignature(key, offer, archive, kVersionMajor, kVersionMinor);
        const double seconds = Seconds(start);
        if (result != UpdateSignature::Verified) {
            std::fprintf(stderr, "the archive did not verify (%d)\n", static_cast<int>(result));
            return 1;
        }
        if (seconds < best) best = seconds;
    }
    std::printf("ms=%.1f\n", best * 1000.0);
    return 0;
}

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"verify" && argc == 6) return Verify(argv[2], argv[3], argv[4], argv[5]);
    if (argc != 4 && !(mode == L"download" && argc == 6)) {
        std::fprintf(stderr,
                     "usage: update_bench unpack ARCHIVE FOLDER | download URL APPDIR [VERSION SIGNATURE] | "
                     "verify ARCHIVE VERSION SIGNATURE_FILE KEY_FILE\n");
        return 2;
    }
    LARGE_INTEGER start;
    if (mode == L"unpack") {
        QueryPerformanceCounter(&start);
        const UnpackSummary summary = UnpackArchive(argv[2], argv[3]);
        const double seconds = Seconds(start);
        if (summary.written != summary.entries || summary.entries == 0) {
            std::fprintf(stderr, "unpacked %d of %d entries\n", summary.written, summary.entries);
            return 1;
        }
        std::printf("seconds=%.3f\n", seconds);
        return 0;
    }
    curl_global_init(CURL_GLOBAL_ALL);
    g_settings.m_proxyType = PROXY_NONE;
    TransferWatch watch;
    ResetPeakMemory();
    const SIZE_T before = Memory().WorkingSetSize;
    QueryPerformanceCounter(&start);
    try {
        const SignedOffer offer = argc == 6 ? SignedOffer{argv[4], std::wstring(argv[5])} : SignedOffer{};
        DownloadedUpdate update;
        DownloadUpdate(argv[3], argv[2], offer, &watch, &update);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "download failed: %s\n", error.what());
        return 1;
    }
    const double seconds = Seconds(start);
    const SIZE_T peak = Memory().PeakWorkingSetSize;
    std::printf("seconds=%.3f\n", seconds);
    std::printf("peak_growth_mb=%.1f\n", peak > before ? static_cast<double>(peak - before) / (1024.0 * 1024.0) : 0.0);
    return 0;
}
