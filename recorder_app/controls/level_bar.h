// How many rows of the level meter's gradient a level lights.
#pragma once

namespace controls {

constexpr int kMeterWidth = 9;
constexpr int kMeterHeight = 59;
constexpr int kFullScaleLevel = 65535;

// 0 for silence, the whole meter for full scale; levels beyond full scale (the main window
// may pass 65536) or below silence stay within the meter.
inline int LevelBarHeight(int level) {
    const int h = static_cast<int>(static_cast<double>(level) / kFullScaleLevel * kMeterHeight);
    return h < 0 ? 0 : (h > kMeterHeight ? kMeterHeight : h);
}

}  // namespace controls
