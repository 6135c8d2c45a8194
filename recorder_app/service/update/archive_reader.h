// Reading the update archive for minizip through a buffer of our own.
#pragma once
#include <minizip/ioapi.h>

// Fills functions with readers of a file named by a wide path, opened for reading only.
// minizip reads an entry's headers a byte at a time, each read a call to the system and, under
// Wine, a round trip into it; through the buffer those headers cost one read between them, and
// seeking inside what is already read costs nothing.
void FillBufferedArchiveReader(zlib_filefunc64_def* functions);
