// libcurl's heap hooks: what they free is wiped first. The blocks are looked at through a
// release function that keeps them allocated until the test has read them.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "service/request/wiping_allocator.h"

namespace {

using namespace wiping_allocator;

std::vector<unsigned char*> g_released;

void KeepForTest(void* block) { g_released.push_back(static_cast<unsigned char*>(block)); }

bool AllZero(const unsigned char* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (bytes[i] != 0) return false;
    return true;
}

}  // namespace

TEST(WipingAllocator, ABlockIsWipedHeaderIncludedBeforeTheHeapGetsItBackAndAMovedOneToo) {
    g_released.clear();
    const char secret[] = "secret-morning-7";
    char* copy = Strdup(secret);
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy, secret);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(copy) % alignof(double), 0u);
    char* moved = static_cast<char*>(ReallocWiped(copy, 4096, &KeepForTest));
    ASSERT_NE(moved, nullptr);
    EXPECT_STREQ(moved, secret);
    FreeWiped(moved, &KeepForTest);

    ASSERT_EQ(g_released.size(), 2u);
    EXPECT_EQ(g_released[0] + kHeaderBytes, reinterpret_cast<unsigned char*>(copy));
    EXPECT_TRUE(AllZero(g_released[0], kHeaderBytes + sizeof secret));
    EXPECT_EQ(g_released[1] + kHeaderBytes, reinterpret_cast<unsigned char*>(moved));
    EXPECT_TRUE(AllZero(g_released[1], kHeaderBytes + 4096));
    for (unsigned char* block : g_released) std::free(block);
}
