// The bitmaps the controls and buttons load: sizes, slicing and the colours they must have.
#include <gtest/gtest.h>
#include "res/bitmap_ids.h"
#include "test_support.h"

namespace {

struct Size {
    UINT id;
    int width, height;
};

TEST(Artwork, EveryBitmapHasItsSize) {
    const Size sizes[] = {
        {IDB_RULER_TILE, 32, 22},        {IDB_SPOT_MARKER, 9, 6},       {IDB_SPOT_MARKER_MASK, 9, 6},
        {IDB_LEVEL_METER, 9, 59},        {IDB_RECORDING_ON, 58, 7},     {IDB_RECORDING_OFF, 58, 7},
        {IDB_TIME_FACE, 53, 18},         {IDB_BTN_PLAY, 41 * 8, 34},    {IDB_BTN_REWIND_BACK, 43 * 4, 34},
        {IDB_BTN_REWIND_FORWARD, 43 * 4, 34}, {IDB_BTN_RECORD, 43 * 8, 34}, {IDB_BTN_ADVSPOT, 42 * 8, 34},
        {IDB_BTN_PUBLISH, 75 * 4, 29},   {IDB_ARROW_LEFT, 44, 9},       {IDB_ARROW_RIGHT, 44, 9},
        {IDB_SCROLL_TRACK, 32, 9},       {IDB_SCROLL_THUMB, 3, 9},      {IDB_SCROLL_THUMB_HOT, 3, 9},
        {IDB_BTN_SAVE, 62 * 4, 29},      {IDB_BTN_OPEN, 62 * 4, 29},    {135, 290, 276},
    };
    for (const Size& s : sizes) {
        const test::BitmapPixels b = test::ReadBitmapResource(s.id);
        EXPECT_EQ(b.width, s.width) << "bitmap " << s.id;
        EXPECT_EQ(b.height, s.height) << "bitmap " << s.id;
    }
}

TEST(Artwork, MarkerMaskIsExactAndMonochrome) {
    HBITMAP mask = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_SPOT_MARKER_MASK));
    ASSERT_NE(mask, nullptr);
    BITMAP info{};
    GetObjectW(mask, sizeof info, &info);
    EXPECT_EQ(info.bmBitsPixel, 1);
    DeleteObject(mask);

    const test::BitmapPixels m = test::ReadBitmapResource(IDB_SPOT_MARKER_MASK);
    const test::BitmapPixels marker = test::ReadBitmapResource(IDB_SPOT_MARKER);
    const int spans[6][2] = {{0, 8}, {0, 8}, {0, 8}, {1, 7}, {2, 6}, {3, 5}};
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 9; ++x) {
            const bool inside = spans[y][0] <= x && x <= spans[y][1];
            EXPECT_EQ(m.At(x, y), inside ? 0xFFFFFFu : 0u) << x << "," << y;
            if (!inside) {
                EXPECT_EQ(marker.At(x, y), 0u) << x << "," << y;
            }
        }
    EXPECT_EQ(marker.At(4, 5), 0x073D01u);  // tip: outline
    EXPECT_EQ(marker.At(4, 0), 0x073D01u);  // top row: outline
    EXPECT_EQ(marker.At(4, 2), 0x18FF00u);  // inside
    EXPECT_EQ(marker.At(0, 0), 0x5E7E5Au);  // outer corner
}

TEST(Artwork, GradientsRunBetweenTheirColours) {
    const test::BitmapPixels ruler = test::ReadBitmapResource(IDB_RULER_TILE);
    EXPECT_EQ(ruler.At(5, 0), 0xEEEEEEu);
    EXPECT_EQ(ruler.At(5, 18), 0xFFFFFFu);
    EXPECT_EQ(ruler.At(5, 21), 0xFFFFFFu);
    const test::BitmapPixels meter = test::ReadBitmapResource(IDB_LEVEL_METER);
    EXPECT_EQ(meter.At(4, 0), 0xE10019u);
    EXPECT_EQ(meter.At(4, 10), 0xB64618u);
    EXPECT_EQ(meter.At(4, 20), 0x53E715u);
    EXPECT_EQ(meter.At(4, 58), 0x53E715u);
    const test::BitmapPixels track = test::ReadBitmapResource(IDB_SCROLL_TRACK);
    EXPECT_EQ(track.At(0, 0), 0xDADADAu);
    EXPECT_EQ(track.At(0, 8), 0xFCFCFCu);
    const test::BitmapPixels thumb = test::ReadBitmapResource(IDB_SCROLL_THUMB);
    const test::BitmapPixels hot = test::ReadBitmapResource(IDB_SCROLL_THUMB_HOT);
    EXPECT_EQ(thumb.At(1, 4), 0xDFDFDFu);
    EXPECT_EQ(hot.At(1, 4), 0xD8E0E6u);
    EXPECT_EQ(thumb.At(0, 4), 0xBEBEBEu);
    const test::BitmapPixels steady = test::ReadBitmapResource(IDB_RECORDING_OFF);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 58; ++x) EXPECT_EQ(steady.At(x, y), 0xEAE8EDu);
    const test::BitmapPixels face = test::ReadBitmapResource(IDB_TIME_FACE);
    EXPECT_EQ(face.At(20, 0), 0xE6E5E6u);
    EXPECT_EQ(face.At(20, 17), 0xDCDBDEu);
}

TEST(Artwork, EachButtonFaceStartsWithItsFourStates) {
    // Neighbouring cells of every strip differ: normal, hover, pushed and disabled are distinct.
    const Size strips[] = {{IDB_BTN_PLAY, 41, 8}, {IDB_BTN_RECORD, 43, 8}, {IDB_BTN_ADVSPOT, 42, 8},
                           {IDB_BTN_REWIND_BACK, 43, 4}, {IDB_BTN_OPEN, 62, 4}, {IDB_BTN_PUBLISH, 75, 4}};
    for (const Size& s : strips) {
        const test::BitmapPixels b = test::ReadBitmapResource(s.id);
        const int images = s.height;  // the image count, in this table
        for (int i = 0; i + 1 < images; ++i) {
            int differing = 0;
            for (int y = 0; y < b.height; ++y)
                for (int x = 0; x < s.width; ++x)
                    differing += b.At(i * s.width + x, y) != b.At((i + 1) * s.width + x, y);
            EXPECT_GT(differing, 20) << "bitmap " << s.id << " images " << i << " and " << i + 1;
        }
    }
}

}  // namespace
