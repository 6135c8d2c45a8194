#include "app/editing/tighten_rules.h"

#include <algorithm>
#include <cmath>

#include "audio/editing/clip_cut.h"
#include "settings/settings.h"

namespace tighten {

namespace {

bool Unknown(const levels::Codes& codes, uint32_t block) {
    return block < codes.size() && codes[block] == levels::kUnknown;
}

// Whether the blocks on either side of the pause are measured (or lie beyond the clip).
bool MeasuredWhole(const levels::Codes& codes, const pauses::Pause& pause) {
    const uint32_t first = levels::BlockOfMs(pause.startMs);
    const uint32_t end = levels::BlockOfMs(pause.endMs);
    return !(first > 0 && Unknown(codes, first - 1)) && !Unknown(codes, end);
}

}  // namespace

Plan PlanTightening(const levels::Codes& codes, uint32_t clipLengthMs, const Lengths& lengths,
                    const cuts::FrameClock& clock) {
    Plan plan;
    const size_t blocks = std::min<size_t>(codes.size(), levels::BlocksFor(clipLengthMs));
    for (size_t b = 0; b < blocks; ++b)
        if (codes[b] == levels::kUnknown) plan.unknownMs += levels::kBlockMs;
    if (!TightenLengthsAllowed(lengths.longerThanMs, lengths.toMs) || !(clock.msPerFrame > 0) ||
        clock.sampleRate == 0)
        return plan;

    const pauses::Scope scope{&codes, pauses::QuietCode(codes), clipLengthMs, false};
    uint64_t savedSamples = 0;
    for (const pauses::Pause& pause : pauses::PausesIn(scope)) {
        const uint32_t length = pause.endMs - pause.startMs;
        if (length <= lengths.longerThanMs || !MeasuredWhole(codes, pause)) continue;
        // Whole frames only, rounded down, so that at least `toMs` stays; centred in the pause.
        const uint32_t frames = static_cast<uint32_t>(std::floor((length - lengths.toMs) / clock.msPerFrame));
        if (frames == 0) continue;
        const double kept = length - frames * clock.msPerFrame;
        Shortening cut;
        cut.pause = pause;
        cut.firstFrame = FrameBoundaryAt(pause.startMs + kept / 2, clock.msPerFrame);
        cut.endFrame = cut.firstFrame + frames;
        cut.startMs = static_cast<uint32_t>(std::llround(cut.firstFrame * clock.msPerFrame));
        cut.endMs = static_cast<uint32_t>(std::llround(cut.endFrame * clock.msPerFrame));
        plan.cuts.push_back(cut);
        if (frames > clock.seamCarriers) savedSamples += uint64_t{frames - clock.seamCarriers} * clock.samplesPerFrame;
    }
    plan.savedMs = static_cast<uint32_t>(savedSamples * 1000 / clock.sampleRate);
    return plan;
}

bool ParseSeconds(const std::wstring& text, uint32_t& ms) {
    size_t at = 0;
    while (at < text.size() && text[at] == L' ') ++at;
    uint64_t whole = 0;
    size_t digits = 0;
    for (; at < text.size() && text[at] >= L'0' && text[at] <= L'9' && digits < 6; ++at, ++digits)
        whole = whole * 10 + static_cast<uint64_t>(text[at] - L'0');
    uint64_t fraction = 0;
    size_t decimals = 0;
    if (at < text.size() && (text[at] == L'.' || text[at] == L',')) {
        for (++at; at < text.size() && text[at] >= L'0' && text[at] <= L'9' && decimals < 3; ++at, ++decimals)
            fraction = fraction * 10 + static_cast<uint64_t>(text[at] - L'0');
    }
    while (at < text.size() && text[at] == L' ') ++at;
    if (at != text.size() || digits + decimals == 0) return false;
    for (size_t d = decimals; d < 3; ++d) fraction *= 10;
    ms = static_cast<uint32_t>(whole * 1000 + fraction);
    return true;
}

std::wstring SecondsText(uint32_t ms) {
    std::wstring text = std::to_wstring(ms / 1000);
    uint32_t fraction = ms % 1000;
    if (fraction == 0) return text;
    std::wstring decimals = std::to_wstring(1000 + fraction).substr(1);
    while (decimals.back() == L'0') decimals.pop_back();
    return text + L"." + decimals;
}

}  // namespace tighten
