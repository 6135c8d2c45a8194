// Benchmark program: publishes one file to the service at a host, the way the publication
// dialog does (worker thread, progress messages handled on this thread), and prints
//   seconds=<upload time>
//   peak_growth_mb=<largest growth of the process's memory during the upload>
// usage: upload_bench HOST FILE
#include <curl/curl.h>
#include <windows.h>
#include <cstdio>
#include <memory>
#include "../../support/bench_support.h"
#include "message_sink.h"
#include "service/request/form_values.h"
#include "service/request/request_thread.h"
#include "service/request/text_encoding.h"
#include "settings/settings.h"

namespace {

double Megabytes(SIZE_T bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: upload_bench HOST FILE\n");
        return 2;
    }
    curl_global_init(CURL_GLOBAL_ALL);
    g_settings.m_serverHost = argv[1];
    g_settings.m_proxyType = PROXY_NONE;
    MessageSink sink;
    auto request = std::make_shared<CServerRequest>(sink.Window(), L"morning", L"secret-morning-7", REQUEST_PUBLISH,
                                                    12, L"Benchmark", L"A long episode", argv[2],
                                                    std::set<uint32_t>{90000, 1200000});
    ResetPeakMemory();
    const SIZE_T before = Memory().WorkingSetSize;
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    HANDLE thread = StartRequestThread(request);
    const bool ended = thread != nullptr && sink.PumpUntilEnded(thread, 600000);
    const double seconds = Seconds(start);
    const SIZE_T peak = Memory().PeakWorkingSetSize;
    if (thread != nullptr) CloseHandle(thread);
    if (!ended || !request->Succeeded()) {
        std::fprintf(stderr, "upload failed: %s\n", ToUtf8(request->GetError()).c_str());
        return 1;
    }
    std::printf("seconds=%.3f\n", seconds);
    std::printf("peak_growth_mb=%.1f\n", peak > before ? Megabytes(peak - before) : 0.0);
    std::printf("progress_messages=%u\n", static_cast<unsigned>(sink.Progress().size()));
    return 0;
}
