#include "audio/encoding/file_write_api.h"

const FileWriteApi& SystemFileWrite() {
    static const FileWriteApi api = {WriteFile, FlushFileBuffers};
    return api;
}
