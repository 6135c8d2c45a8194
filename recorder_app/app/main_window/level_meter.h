// The level meter shows twice the magnitude of the latest level sample of whichever audio
// engine is running: 0 for silence, 65536 for a block starting at -32768.
#pragma once
#include <cstdint>

constexpr unsigned MeterValue(std::int16_t sample) {
    return sample < 0 ? static_cast<unsigned>(-2 * static_cast<int>(sample))
                      : static_cast<unsigned>(2 * static_cast<int>(sample));
}
