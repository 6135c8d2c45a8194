// Strict base64: every accepted text decodes to the right bytes, and each wrong spelling of a
// signature the service could send (or a forger could try) is refused.
#include <gtest/gtest.h>
#include "service/update/base64.h"

namespace {

std::string Decoded(const std::string& text) {
    std::vector<uint8_t> bytes{0xAA};  // must be replaced, not appended to
    EXPECT_TRUE(DecodeBase64(text, &bytes)) << text;
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

TEST(Base64, StandardTextsDecode) {
    EXPECT_EQ("", Decoded(""));
    EXPECT_EQ("f", Decoded("Zg=="));
    EXPECT_EQ("fo", Decoded("Zm8="));
    EXPECT_EQ("foo", Decoded("Zm9v"));
    EXPECT_EQ("foobar", Decoded("Zm9vYmFy"));
    EXPECT_EQ(std::string("\xfb\xff\xbf", 3), Decoded("+/+/"));
    // All 64 bytes of a signature, as PHP's base64_encode writes them.
    std::string all;
    for (int i = 0; i < 64; ++i) all.push_back(static_cast<char>(i * 4 + 3));
    EXPECT_EQ(all, Decoded("AwcLDxMXGx8jJysvMzc7P0NHS09TV1tfY2drb3N3e3+Dh4uPk5ebn6Onq6+zt7u/w8fLz9PX29/j5+vv8/f7/w=="));
}

TEST(Base64, EverythingElseIsRefused) {
    const char* refused[] = {
        "Zg",             // padding left out
        "Zg=",            // half of it
        "Zm9vY",          // not whole groups
        "Zg==Zg==",       // padding before the end
        "Z===",           // one character cannot make a byte
        "====",
        "Zm=v",           // "=" inside a group
        "Zh==",           // unused bits set: a second spelling of "f"
        "Zm9=",           // unused bits set: a second spelling of "fo"
        "Zm9v\n",         // line break
        " Zm9v",          // white space
        "Zm9 v",
        "-_-_",           // the URL-safe alphabet
        "Zm9v%",
    };
    for (const char* text : refused) {
        std::vector<uint8_t> bytes{1, 2, 3};
        EXPECT_FALSE(DecodeBase64(text, &bytes)) << text;
        EXPECT_TRUE(bytes.empty()) << text;
    }
    std::vector<uint8_t> bytes;
    EXPECT_FALSE(DecodeBase64(std::string("Zm\0v", 4), &bytes));
    EXPECT_FALSE(DecodeBase64("Zm\xC3\xA9", &bytes));
}
