// Loading of the encoder library and the process-wide configuration. Written only on the
// user-interface thread, before any stream exists; the library stays loaded for good.
#include "audio/encoding/encoder_binding.h"

namespace {

HMODULE g_library = nullptr;
EncoderEntryPoints g_entryPoints;
EncoderConfigRecord g_config{};
BYTE g_outputBuffer[kEncoderOutputBufferSize];

template <class Fn>
bool Lookup(HMODULE library, const char* name, Fn& fn) {
    fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    return fn != nullptr;
}

bool LoadLibraryOnce() {
    if (g_library) return true;
    HMODULE library = LoadLibraryW(L"lame_enc.dll");
    if (!library) return false;
    EncoderEntryPoints found;
    if (!Lookup(library, "beInitStream", found.initStream) ||
        !Lookup(library, "beEncodeChunk", found.encodeChunk) ||
        !Lookup(library, "beDeinitStream", found.deinitStream) ||
        !Lookup(library, "beCloseStream", found.closeStream)) {
        FreeLibrary(library);
        return false;
    }
    g_library = library;
    g_entryPoints = found;
    return true;
}

}  // namespace

namespace encoder_binding {

int Configure(std::uint32_t sampleRate, std::int32_t mode, std::uint32_t bitrateKbps,
              std::int32_t maxBitrateKbps) {
    if (!LoadLibraryOnce()) return -1;
    g_config = BuildEncoderConfig(sampleRate, mode, bitrateKbps, maxBitrateKbps);
    return 0;
}

bool IsLoaded() { return g_library != nullptr; }
const EncoderEntryPoints& EntryPoints() { return g_entryPoints; }
const EncoderConfigRecord& Config() { return g_config; }
BYTE* OutputBuffer() { return g_outputBuffer; }

}  // namespace encoder_binding
