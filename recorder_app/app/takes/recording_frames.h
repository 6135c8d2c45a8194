// Whether a file is what the recorder writes: frames of the recording format (MPEG-1 Layer
// III, 44100 Hz, mono, 96 kbit/s, a CRC in every frame) from its first byte on. A take
// journal names its files, and only a file the recorder could have written may be cut or
// joined when its take is restored. Pure logic.
#pragma once
#include <cstddef>
#include <cstdint>

class RecordingFrames {
public:
    // The next bytes of the file, in order from its first byte.
    void Feed(const uint8_t* data, size_t size);
    // Met something the recorder does not write. A last frame cut short (a take killed
    // while writing it) and zeros where a frame should begin (what a power cut leaves where
    // the file had grown) are the recorder's.
    bool Foreign() const;
    // Nothing after this point can change the verdict.
    bool Done() const { return m_done; }

private:
    void OnHeader();

    uint8_t m_head[4] = {};
    size_t m_headBytes = 0;
    uint64_t m_bodyLeft = 0;
    bool m_foreign = false;
    bool m_done = false;
};
