// Opening a clip file for the frame reader.
#include "audio/reading/clip_file.h"
#include "audio/reading/frame_reader.h"

bool FrameReader::Open(const wchar_t* path) {
    Close();
    if (!path) return false;
    std::unique_ptr<ClipFile> file(new ClipFile);
    if (!file->Open(path)) return false;
    return Open(std::move(file));
}
