#include "app/envelope/clip_envelope.h"

#include <algorithm>

#include "app/envelope/envelope_cache.h"
#include "audio/capture/sound_recorder.h"
#include "controls/time_line_ctrl.h"
#include "runtime/log_file.h"

void ClipEnvelope::Attach(HWND owner, UINT message, CTimeLineCtrl* line) {
    m_owner = owner;
    m_message = message;
    m_line = line;
    if (m_line != nullptr) m_line->SetLevels(&m_codes);
}

void ClipEnvelope::StopScan() {
    const bool running = m_scan.Running();
    m_scan.Cancel();  // also lets go of the thread of a scan that ended
    if (running) g_log.Print(L"Level scan of %s stopped", m_clip.c_str());
}

void ClipEnvelope::ShowClip(const std::wstring& clip, uint32_t lengthMs, const std::wstring& continued,
                            uint32_t cutMs) {
    StopScan();
    ++m_scanTag;  // results of an earlier scan still on their way are dropped
    m_clip = clip;
    m_codes.clear();
    if (!clip.empty() && !envelope_cache::Load(clip, m_codes)) {
        levels::Codes seed(levels::BlocksFor(lengthMs), levels::kUnknown);
        // A restored take continues a clip measured before: only its own part is scanned.
        levels::Codes earlier;
        if (!continued.empty() && envelope_cache::Load(continued, earlier)) {
            const size_t kept = std::min<size_t>({earlier.size(), levels::BlockOfMs(cutMs), seed.size()});
            std::copy(earlier.begin(), earlier.begin() + static_cast<std::ptrdiff_t>(kept), seed.begin());
        }
        Measure(clip, std::move(seed));
    }
    ShowAll();
}

void ClipEnvelope::Measure(const std::wstring& clip, levels::Codes seed) {
    m_codes = std::move(seed);
    const uint32_t viewStart = m_line != nullptr ? m_line->GetViewStart() : 0;
    if (m_scan.Start(clip, m_codes, viewStart, m_owner, m_message, m_scanTag))
        g_log.Print(L"Level scan of %s started", clip.c_str());
}

void ClipEnvelope::BeginTake(uint32_t startMs) {
    StopScan();
    ++m_scanTag;
    m_takeStartBlock = levels::BlockOfMs(startMs);
    // The levels of what the take continues stay; a part not measured yet shows as such.
    m_codes.resize(std::min<size_t>(m_codes.size(), m_takeStartBlock));
    m_codes.resize(m_takeStartBlock, levels::kUnknown);
    ShowAll();
}

void ClipEnvelope::TakeTick() {
    const size_t before = m_codes.size();
    SoundRecorder::CopyLevels(before - m_takeStartBlock, m_codes);
    if (m_codes.size() > before) Show(static_cast<uint32_t>(before), static_cast<uint32_t>(m_codes.size()));
}

void ClipEnvelope::EndTake(const std::wstring& clip, uint32_t lengthMs) {
    TakeTick();  // the take's last block, measured at its stop
    m_clip = clip;
    if (lengthMs == 0) {
        // The clip's length is unknown: its levels show as the take measured them, and none
        // are kept, since they cannot be fitted to a length.
        StopScan();
        ++m_scanTag;
        ShowAll();
        return;
    }
    // The join cuts at a frame, and the encoder adds a few frames: the levels are fitted to
    // the clip's length, measuring what was not captured (a part the join took whole).
    const size_t blocks = levels::BlocksFor(lengthMs);
    if (m_codes.size() > blocks) m_codes.resize(blocks);
    const bool complete = std::find(m_codes.begin(), m_codes.end(), levels::kUnknown) == m_codes.end() &&
                          m_codes.size() + levels::kBlocksPerSecond >= blocks;
    if (complete) {
        m_codes.resize(blocks, m_codes.empty() ? levels::kSilent : m_codes.back());
        envelope_cache::Save(clip, m_codes);
    } else {
        StopScan();
        ++m_scanTag;
        levels::Codes seed = m_codes;
        seed.resize(blocks, levels::kUnknown);
        Measure(clip, std::move(seed));
    }
    ShowAll();
}

void ClipEnvelope::Shifted(const std::wstring& clip, double db) {
    StopScan();
    ++m_scanTag;
    m_clip = clip;
    // The whole clip moves by the same gain; a part not measured yet is measured now.
    levels::Shift(m_codes, db);
    if (std::find(m_codes.begin(), m_codes.end(), levels::kUnknown) != m_codes.end()) Measure(clip, m_codes);
    else envelope_cache::Save(clip, m_codes);
    ShowAll();
}

void ClipEnvelope::Edited(const std::wstring& clip, levels::Codes codes) {
    StopScan();
    ++m_scanTag;
    m_clip = clip;
    if (std::find(codes.begin(), codes.end(), levels::kUnknown) != codes.end()) {
        Measure(clip, std::move(codes));
    } else {
        m_codes = std::move(codes);
        if (!m_codes.empty()) envelope_cache::Save(clip, m_codes);
    }
    ShowAll();
}

void ClipEnvelope::OnScanMessage(WPARAM tag) {
    if (tag != m_scanTag) return;  // a scan of a clip that is no longer current
    // Read before the results: a scan that ends in between leaves its last ones for the
    // message it posts at its end.
    const bool ended = !m_scan.Running();
    uint32_t first = 0, end = 0;
    if (m_scan.TakeResults(m_codes, first, end)) Show(first, end);
    if (!ended) {
        if (m_line != nullptr) m_scan.Prioritise(m_line->GetViewStart());
        return;
    }
    m_scan.Cancel();
    if (!m_codes.empty() && std::find(m_codes.begin(), m_codes.end(), levels::kUnknown) == m_codes.end()) {
        envelope_cache::Save(m_clip, m_codes);
        g_log.Print(L"Level scan of %s done", m_clip.c_str());
    }
}

void ClipEnvelope::Show(uint32_t firstBlock, uint32_t endBlock) {
    if (m_line != nullptr) m_line->LevelsChanged(firstBlock * levels::kBlockMs, endBlock * levels::kBlockMs);
}

void ClipEnvelope::ShowAll() {
    if (m_line != nullptr) m_line->LevelsChanged(0, UINT32_MAX);
}
