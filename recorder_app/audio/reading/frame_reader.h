// Reads an MPEG audio clip frame by frame: finds and checks headers, skips ID3v2 tags (also
// between the halves of clips joined end to end, with APE and ID3v1 tags),
// and keeps the current and the previous frame (header and body) for the decoder, whose
// Layer III bit reservoir reaches back into the previous frame. Estimates the duration, or
// takes it from the frame count of an encoder's Xing, Info or VBRI frame.
// The parsing is pure; only Open(path) touches the file system (frame_reader_win.cpp).
#pragma once
#include "audio/reading/byte_source.h"
#include "audio/reading/frame_header.h"

#include <cstdint>
#include <memory>

class FrameReader {
public:
    // ReadFrame results.
    static constexpr int kFrameRead = 1;
    static constexpr int kNoFrame = 0;      // no header within the search limit, or free format
    static constexpr int kReadFailed = -1;  // read error or broken ID3v2 tag
    static constexpr int kEndOfFile = -2;
    // Bytes searched for a header before ReadFrame gives up for one call.
    static constexpr uint32_t kSearchLimit = 0x20000;
    static constexpr int kHeaderBytes = 4;

    FrameReader();
    FrameReader(const FrameReader&) = delete;
    FrameReader& operator=(const FrameReader&) = delete;

    // Opens a clip file for shared reading; false when it cannot be opened.
    bool Open(const wchar_t* path);
    // Reads from `source` instead of a file; false for a null source.
    bool Open(std::unique_ptr<ByteSource> source);
    void Close();
    bool IsOpen() const { return m_source != nullptr; }

    // Back to byte 0, forgetting the previous header and both frames.
    bool Rewind();
    int ReadFrame();

    // The current frame: its 4 header bytes followed by its body.
    const uint8_t* FrameData() const { return m_frames[m_current].get(); }
    size_t FrameSize() const { return m_frameSizes[m_current]; }
    // Where the current frame's header lies in the file (its body may run past the end).
    uint64_t FrameOffset() const { return m_frameOffset; }
    // The frame read before the current one since the last rewind, or size 0.
    const uint8_t* PreviousFrameData() const { return m_frames[1 - m_current].get(); }
    size_t PreviousFrameSize() const { return m_frameSizes[1 - m_current]; }

    // Whether a frame read by this reader has the version, layer and sampling rate of the
    // stream's first frame, so that a decoder can take it for part of the same stream.
    bool MatchesStreamFormat(const uint8_t* frame, size_t size) const;

    const FrameHeader& Header() const { return m_header; }
    double MsPerFrame() const { return ::MsPerFrame(m_header); }
    // Duration in ms: the frame count of a Xing, Info or VBRI frame at the start of the stream times
    // the ms per frame (scaled down when the file holds less than it counted), and that of any
    // clip joined on after the stream it counts; without one, the frames counted when the bit
    // rate varies, else estimated from the size of the file after anything in front of the
    // first frame, and the most recently parsed header.
    uint32_t Duration() const;
    uint64_t FileSize() const { return m_fileSize; }

private:
    int ReadWindow();
    int SkipTags(bool atFrameStart);
    int MeasureTag(bool atFrameStart, uint64_t tagStart, uint64_t* tagEnd);
    uint32_t JoinedStreamsMs(uint64_t end);
    int SearchHeader(bool confirm);
    int ConfirmFirstHeader();
    void ForgetFrames();

    std::unique_ptr<ByteSource> m_source;
    uint64_t m_fileSize = 0;
    uint32_t m_window = 0;
    uint32_t m_previousHeader = 0;
    uint32_t m_firstHeader = 0;
    uint32_t m_audioStart = 0;  // file position of the first frame
    uint32_t m_infoFrames = 0;  // frame count from a Xing, Info or VBRI frame, 0 when none
    uint32_t m_walkedFrames = 0;  // frames counted of a stream whose rate varies, 0 when not
    bool m_walked = false;        // counted once per opening, not again after each rewind
    uint32_t m_joinedMs = 0;    // duration of the clips joined on after the one counted so
    int m_joinDepth = 0;        // clips joined on before this reader's, when it reads one
    FrameHeader m_header;
    std::unique_ptr<uint8_t[]> m_frames[2];
    size_t m_frameSizes[2] = {0, 0};
    int m_current = 0;
    uint64_t m_frameOffset = 0;
};
