#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <random>
#include <string>
#include "service/update/archive_reader.h"
#include "update_test_support.h"

// Reads and seeks of every size and kind, as minizip mixes them, against the file's own bytes:
// the buffer must never hand back bytes of another place.
TEST(ArchiveReader, ReadsWhatIsAtEveryPlaceTheReaderSeeks) {
    std::mt19937 random(7);
    std::string bytes(300000, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random());
    const std::wstring path = FreshFolder(L"archive_reader") + L"\\file.bin";
    WriteFileBytes(path, bytes);

    zlib_filefunc64_def functions;
    FillBufferedArchiveReader(&functions);
    EXPECT_EQ(nullptr, functions.zopen64_file(nullptr, path.c_str(), ZLIB_FILEFUNC_MODE_CREATE));
    EXPECT_EQ(nullptr, functions.zopen64_file(nullptr, (path + L".missing").c_str(), ZLIB_FILEFUNC_MODE_EXISTING));
    voidpf file = functions.zopen64_file(nullptr, path.c_str(), ZLIB_FILEFUNC_MODE_READ | ZLIB_FILEFUNC_MODE_EXISTING);
    ASSERT_NE(nullptr, file);

    const size_t sizes[] = {1, 2, 4, 46, 16384, 65535, 65536, 100000};
    uint64_t position = 0;
    std::string got(100000, '\0');
    for (int step = 0; step < 2000; ++step) {
        const int origin = static_cast<int>(random() % 4);  // reads twice as often as seeks
        if (origin == ZLIB_FILEFUNC_SEEK_SET || origin == ZLIB_FILEFUNC_SEEK_END) {
            const uint64_t target = random() % (bytes.size() + 10);
            const ZPOS64_T offset = origin == ZLIB_FILEFUNC_SEEK_SET ? target : target - bytes.size();
            ASSERT_EQ(0, functions.zseek64_file(nullptr, file, offset, origin));
            position = target;
        } else if (random() % 4 == 0) {
            const uint64_t step = random() % 70000;
            ASSERT_EQ(0, functions.zseek64_file(nullptr, file, step, ZLIB_FILEFUNC_SEEK_CUR));
            position += step;
        }
        const size_t size = sizes[random() % (sizeof sizes / sizeof sizes[0])];
        const uLong read = functions.zread_file(nullptr, file, &got[0], static_cast<uLong>(size));
        const size_t expected = position < bytes.size() ? std::min<size_t>(size, bytes.size() - position) : 0;
        ASSERT_EQ(expected, read) << "step " << step;
        if (read > 0) {
            ASSERT_EQ(0, got.compare(0, read, bytes, position, read)) << "step " << step;
        }
        position += read;
        ASSERT_EQ(position, functions.ztell64_file(nullptr, file));
    }
    EXPECT_EQ(-1, functions.zseek64_file(nullptr, file, static_cast<ZPOS64_T>(-1), ZLIB_FILEFUNC_SEEK_SET));
    EXPECT_EQ(0, functions.zerror_file(nullptr, file));
    EXPECT_EQ(0, functions.zclose_file(nullptr, file));
}
