// libmpg123 in feed mode: every call hands it exactly one frame, so that it never needs to
// look ahead and never searches on its own; a frame it refuses is dropped with its input.
#include "audio/reading/mp3_decoder.h"

#include <mpg123.h>

namespace {

// One frame yields at most one chunk of sound, plus a format notice on the first one.
constexpr int kMaxDecodeCalls = 4;

bool InitLibrary() {
    static const bool ok = mpg123_init() == MPG123_OK;
    return ok;
}

}  // namespace

Mp3Decoder::~Mp3Decoder() {
    if (m_handle) mpg123_delete(m_handle);
}

bool Mp3Decoder::Setup(long outputScale, bool halfRate) {
    if (!InitLibrary()) return false;
    if (!m_handle) {
        m_handle = mpg123_new(nullptr, nullptr);
        if (!m_handle) return false;
    }
    // Frames arrive whole and already checked; the Info frame of an encoder is played as
    // the silent frame it is, so that every frame counted by the reader yields its samples.
    const long flags = MPG123_FORCE_STEREO | MPG123_QUIET | MPG123_NO_RESYNC |
                       MPG123_IGNORE_INFOFRAME | MPG123_NO_READAHEAD;
    if (mpg123_param(m_handle, MPG123_FLAGS, flags, 0) != MPG123_OK ||
        mpg123_param(m_handle, MPG123_DOWN_SAMPLE, halfRate ? 1 : 0, 0) != MPG123_OK ||
        mpg123_param(m_handle, MPG123_OUTSCALE, outputScale, 0) != MPG123_OK)
        return false;
    if (mpg123_format_none(m_handle) != MPG123_OK) return false;
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i)
        if (mpg123_format(m_handle, rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16) != MPG123_OK)
            return false;
    return Reset();
}

bool Mp3Decoder::Reset() {
    m_hasHistory = false;
    return m_handle && mpg123_open_feed(m_handle) == MPG123_OK;
}

bool Mp3Decoder::DecodeFrame(const uint8_t* frame, size_t size, PcmAccumulator& out,
                             BlockWriter& writer) {
    return Feed(frame, size, &out, &writer);
}

void Mp3Decoder::Prime(const uint8_t* frame, size_t size) {
    Feed(frame, size, nullptr, nullptr);
}

bool Mp3Decoder::Feed(const uint8_t* frame, size_t size, PcmAccumulator* out,
                      BlockWriter* writer) {
    if (!m_handle || size == 0) return true;
    m_hasHistory = true;
    if (mpg123_feed(m_handle, frame, size) != MPG123_OK) {
        Reset();
        return true;
    }
    bool writerOk = true;
    int result = MPG123_OK;
    for (int call = 0; call < kMaxDecodeCalls; ++call) {
        off_t frameNumber = 0;
        unsigned char* audio = nullptr;
        size_t bytes = 0;
        result = mpg123_decode_frame(m_handle, &frameNumber, &audio, &bytes);
        if (result == MPG123_NEW_FORMAT) continue;
        if (result != MPG123_OK) break;
        if (bytes && out && writerOk) writerOk = out->Append(audio, bytes, *writer);
    }
    // Anything left over belongs to a frame the decoder refused: drop it, or it would
    // be taken for the start of the next frame.
    long leftover = 0;
    double unused = 0;
    if (result != MPG123_NEED_MORE ||
        (mpg123_getstate(m_handle, MPG123_BUFFERFILL, &leftover, &unused) == MPG123_OK &&
         leftover > 0)) {
        Reset();
        m_hasHistory = true;
    }
    return writerOk;
}
