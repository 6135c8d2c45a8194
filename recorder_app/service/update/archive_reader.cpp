#include "archive_reader.h"
#include <windows.h>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

namespace {

constexpr size_t kBufferBytes = 65536;

struct BufferedFile {
    HANDLE handle = INVALID_HANDLE_VALUE;
    uint64_t size = 0;
    uint64_t position = 0;  // where minizip reads next
    uint64_t bufferStart = 0;
    size_t buffered = 0;  // bytes of buffer valid from bufferStart
    bool failed = false;
    std::vector<char> buffer;
};

// Reads up to size bytes at the file's offset at; the count read, or -1. The handle's pointer
// is moved rather than the offset passed with the read: under Wine a read given its offset
// also reports its completion to the server, a request per read.
long long ReadAt(BufferedFile* file, uint64_t at, char* into, DWORD size) {
    LARGE_INTEGER target;
    target.QuadPart = static_cast<LONGLONG>(at);
    DWORD read = 0;
    if (!SetFilePointerEx(file->handle, target, nullptr, FILE_BEGIN) ||
        !ReadFile(file->handle, into, size, &read, nullptr))
        return -1;
    return read;
}

voidpf ZCALLBACK Open(voidpf, const void* path, int mode) {
    if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ || path == nullptr) return nullptr;
    const HANDLE handle = CreateFileW(static_cast<const wchar_t*>(path), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    LARGE_INTEGER size{};
    BufferedFile* file = new (std::nothrow) BufferedFile;
    if (file == nullptr || !GetFileSizeEx(handle, &size)) {
        delete file;
        CloseHandle(handle);
        return nullptr;
    }
    file->handle = handle;
    file->size = static_cast<uint64_t>(size.QuadPart);
    return file;
}

uLong ZCALLBACK Read(voidpf, voidpf stream, void* into, uLong size) {
    BufferedFile* file = static_cast<BufferedFile*>(stream);
    char* out = static_cast<char*>(into);
    uLong done = 0;
    while (done < size && file->position < file->size) {
        const uint64_t end = file->bufferStart + file->buffered;
        if (file->position >= file->bufferStart && file->position < end) {
            const size_t offset = static_cast<size_t>(file->position - file->bufferStart);
            const size_t take = std::min<size_t>(file->buffered - offset, size - done);
            std::memcpy(out + done, file->buffer.data() + offset, take);
            done += static_cast<uLong>(take);
            file->position += take;
            continue;
        }
        // A read as large as the buffer goes straight to its destination: copying it through
        // the buffer would only add a copy.
        if (size - done >= kBufferBytes) {
            const long long read = ReadAt(file, file->position, out + done, size - done);
            if (read < 0) file->failed = true;
            if (read <= 0) break;
            done += static_cast<uLong>(read);
            file->position += static_cast<uint64_t>(read);
            continue;
        }
        if (file->buffer.empty()) file->buffer.resize(kBufferBytes);
        file->buffered = 0;
        const long long read = ReadAt(file, file->position, file->buffer.data(), kBufferBytes);
        if (read < 0) file->failed = true;
        if (read <= 0) break;
        file->bufferStart = file->position;
        file->buffered = static_cast<size_t>(read);
    }
    return done;
}

uLong ZCALLBACK Write(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T ZCALLBACK Tell(voidpf, voidpf stream) { return static_cast<BufferedFile*>(stream)->position; }

long ZCALLBACK Seek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    BufferedFile* file = static_cast<BufferedFile*>(stream);
    uint64_t from = 0;
    switch (origin) {
        case ZLIB_FILEFUNC_SEEK_SET: from = 0; break;
        case ZLIB_FILEFUNC_SEEK_CUR: from = file->position; break;
        case ZLIB_FILEFUNC_SEEK_END: from = file->size; break;
        default: return -1;
    }
    // The offset is signed, as the system's own seek takes it; a place before the start is
    // refused, one past the end reads nothing.
    const int64_t target = static_cast<int64_t>(from) + static_cast<int64_t>(offset);
    if (target < 0) return -1;
    file->position = static_cast<uint64_t>(target);
    return 0;
}

int ZCALLBACK Close(voidpf, voidpf stream) {
    BufferedFile* file = static_cast<BufferedFile*>(stream);
    const BOOL closed = CloseHandle(file->handle);
    delete file;
    return closed ? 0 : -1;
}

int ZCALLBACK Error(voidpf, voidpf stream) { return static_cast<BufferedFile*>(stream)->failed ? -1 : 0; }

}  // namespace

void FillBufferedArchiveReader(zlib_filefunc64_def* functions) {
    functions->zopen64_file = Open;
    functions->zread_file = Read;
    functions->zwrite_file = Write;
    functions->ztell64_file = Tell;
    functions->zseek64_file = Seek;
    functions->zclose_file = Close;
    functions->zerror_file = Error;
    functions->opaque = nullptr;
}
