// Fuzz target for the reply grammar and the form values, built natively with sanitizers (no
// Windows headers involved). With libFuzzer: clang++ -fsanitize=fuzzer,address ...; without
// it, main() below runs the target over a fixed set of pseudo-random replies.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include "service/request/form_values.h"
#include "service/request/reply_grammar.h"

namespace {

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string reply(reinterpret_cast<const char*>(data), size);
    const ParsedReply parsed = ParseServiceReply(reply);
    Check(parsed.outcome == ReplyOutcome::Ok || parsed.podcasts.empty(), "podcasts only after OK");
    Check(parsed.outcome == ReplyOutcome::Failed || parsed.failMessage.empty(), "a message only on failure");
    Check(parsed.failMessage.size() <= size, "message within the reply");
    for (const ReplyPodcastLine& line : parsed.podcasts) Check(line.id >= 0, "ids are digit runs");
    std::set<uint32_t> spots;
    for (size_t i = 0; i + 4 <= size && spots.size() < 64; i += 4)
        spots.insert(static_cast<uint32_t>(data[i] | data[i + 1] << 8 | data[i + 2] << 16 | uint32_t(data[i + 3]) << 24));
    const std::string list = FormatSpotList(spots);
    Check(spots.empty() == list.empty(), "a list exactly when there are spots");
    return 0;
}

#ifndef QB_WITH_LIBFUZZER
int main() {
    // Replies built from the grammar's own characters, where the corner cases live.
    const char alphabet[] = {'O', 'K', 'F', 'A', 'I', 'L', ' ', '\r', '\n', '1', '9', 'x', '\0', '\xc3', '\xbf'};
    uint32_t state = 20061;
    for (int round = 0; round < 20000; ++round) {
        std::string reply(static_cast<size_t>(round % 97), '\0');
        for (char& c : reply) {
            state = state * 1664525u + 1013904223u;
            c = alphabet[(state >> 24) % sizeof alphabet];
        }
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(reply.data()), reply.size());
    }
    std::puts("reply grammar: 20000 replies, no findings");
    return 0;
}
#endif
