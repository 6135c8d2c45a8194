// The length of a stream whose bit rate varies and that opens with no Info frame: its size
// says nothing about its length, so its frames are counted. Pure logic over a ByteSource.
#pragma once
#include <cstdint>
#include "audio/reading/byte_source.h"

// The frames of the stream whose first header `firstHeader` stands at `audioStart`, counted
// header after header to the first bytes that are no frame of it; 0 when the bit rate is the
// same near the start and a quarter, half and three quarters of the way in (the size then
// gives the length), or nothing could be read. Moves the source's position.
uint32_t CountFramesOfVariableRate(ByteSource& source, uint64_t audioStart, uint32_t firstHeader);
