// Fuzz target for what the update procedure reads from the service: the query's reply, the
// archive's entry names and their extended-timestamp fields. Built natively with the
// sanitizers; with libFuzzer (QB_WITH_LIBFUZZER) it explores, without it main() below runs
// it over a fixed set of pseudo-random inputs.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include "service/update/update_reply.h"
#include "service/update/zip_entry_meta.h"
#include "service/update/zip_names.h"

namespace {

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
}

// No component of an accepted path may lead anywhere but further down.
void CheckInside(const std::wstring& relative) {
    size_t pos = 0;
    while (pos <= relative.size() && !relative.empty()) {
        size_t end = relative.find(L'\\', pos);
        if (end == std::wstring::npos) end = relative.size();
        const std::wstring component = relative.substr(pos, end - pos);
        Check(!component.empty(), "no empty component");
        Check(component != L"." && component != L"..", "no dot component");
        Check(component.back() != L'.' && component.back() != L' ', "no trailing dot or space");
        Check(component.find_first_of(L":/") == std::wstring::npos, "no drive, stream or other separator");
        pos = end + 1;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::wstring wide(bytes.begin(), bytes.end());

    const UpdateReply reply = ParseUpdateReply(wide);
    Check(reply.major >= 0 && reply.minor >= 0 && reply.fileSize >= 0, "numbers are digit runs");
    Check(reply.error.empty() || reply.fileLocation.empty() || reply.fileSize == 0, "fields only when usable");

    const std::string cleaned = CleanEntryName(bytes);
    Check(cleaned.size() <= bytes.size(), "cleaning only removes");
    std::wstring relative;
    const char* reason = nullptr;
    const std::wstring wideName(cleaned.begin(), cleaned.end());
    if (EntryPathInsideBase(wideName, &relative, &reason)) {
        Check(reason == nullptr, "no reason when accepted");
        CheckInside(relative);
    } else {
        Check(reason != nullptr, "a reason when refused");
    }

    ExtendedTimes times;
    if (FindExtendedTimes(data, size, &times))
        Check(size > 4, "a field of more than 4 bytes");
    return 0;
}

#ifndef QB_WITH_LIBFUZZER
int main() {
    const char alphabet[] = {'.', '.', '/', '\\', ':', 'a', 'C', 'N', 'U', 'L', ' ', '=', '\r', '\n', '9',
                             'U', 'T', '\x05', '\0', '\xff', 'c', 'o', 'n', '_'};
    uint32_t state = 20061;
    for (int round = 0; round < 50000; ++round) {
        std::string input(static_cast<size_t>(round % 61), '\0');
        for (char& c : input) {
            state = state * 1664525u + 1013904223u;
            c = alphabet[(state >> 24) % sizeof alphabet];
        }
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
    }
    std::puts("update inputs: 50000 inputs, no findings");
    return 0;
}
#endif
