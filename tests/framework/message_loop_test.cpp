#include <gtest/gtest.h>
#include <windows.h>
#include <vector>
#include "framework/message_loop.h"

namespace {

struct RecordingFilter : CMessageFilter {
    RecordingFilter(std::vector<int>& log, int id, bool consume) : log(log), id(id), consume(consume) {}
    BOOL PreTranslateMessage(MSG*) override {
        log.push_back(id);
        return consume;
    }
    std::vector<int>& log;
    int id;
    bool consume;
};

TEST(MessageLoop, NewestFilterFirstAndAConsumedMessageStopsThere) {
    std::vector<int> seen;
    RecordingFilter older(seen, 1, false), newer(seen, 2, true);
    CMessageLoop loop;
    loop.AddMessageFilter(&older);
    loop.AddMessageFilter(&newer);
    MSG msg{};
    EXPECT_TRUE(loop.PreTranslateMessage(&msg));
    EXPECT_EQ(seen, std::vector<int>{2});
    loop.RemoveMessageFilter(&newer);
    EXPECT_FALSE(loop.PreTranslateMessage(&msg));
    EXPECT_EQ(seen, (std::vector<int>{2, 1}));
}

TEST(MessageLoop, RunEndsWithTheQuitCode) {
    CMessageLoop loop;
    PostQuitMessage(7);
    EXPECT_EQ(loop.Run(), 7);
}

}  // namespace
