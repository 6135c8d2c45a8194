// Feeds arbitrary bytes to the take journal's parser, which reads what a killed process left
// on disk: it must never fail on its own, and whatever it accepts must be written back to
// the very same bytes (the parser takes only what the program writes).
#include "app/takes/take_journal_format.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    TakeJournal journal;
    std::wstring why;
    if (!DecodeTakeJournal(bytes, journal, why)) {
        if (why.empty()) std::abort();
        return 0;
    }
    if (EncodeTakeJournal(journal) != bytes) std::abort();
    return 0;
}
