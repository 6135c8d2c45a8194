#include "audio/levels/live_levels.h"

namespace levels {

void LiveLevels::Start(uint32_t rate, uint32_t channels) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_channels = channels == 0 ? 1 : channels;
    m_codes.clear();
    // Two hours of blocks: the vector never moves while the take runs.
    m_codes.reserve(2 * 3600 * kBlocksPerSecond + kBlocksPerSecond);
    m_meter.Start(rate, m_channels, 0);
}

void LiveLevels::Feed(const void* pcm, size_t bytes) {
    const size_t frames = bytes / (sizeof(int16_t) * m_channels);
    std::lock_guard<std::mutex> hold(m_lock);
    m_meter.Feed(static_cast<const int16_t*>(pcm), frames, m_codes);
}

void LiveLevels::CopyFrom(size_t from, Codes& out) const {
    std::lock_guard<std::mutex> hold(m_lock);
    if (from < m_codes.size()) out.insert(out.end(), m_codes.begin() + static_cast<std::ptrdiff_t>(from), m_codes.end());
}

void LiveLevels::Finish() {
    std::lock_guard<std::mutex> hold(m_lock);
    m_meter.Finish(m_codes);
}

}  // namespace levels
