// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/LinkTimer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace kotar {
namespace {

// Polls until the condition holds or five seconds have passed.
template <typename Condition>
bool Eventually(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

class LinkTimerTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        timer_.SetTickMs(5);
        timer_.ForceWallClock(GetParam());
        timer_.Start();
    }
    void TearDown() override {
        timer_.Stop();
        timer_.ForceWallClock(false);
    }
    LinkTimer& timer_ = LinkTimer::Instance();
};

TEST_P(LinkTimerTest, CountdownsRunDownIndependentlyAndStayAtZero) {
    EXPECT_EQ(timer_.wall_clock(), GetParam());
    timer_.Arm(LinkTimer::kChar, 2);
    timer_.Arm(LinkTimer::kResponse, 20);
    EXPECT_FALSE(timer_.Expired(LinkTimer::kChar));
    ASSERT_TRUE(Eventually([&] { return timer_.Expired(LinkTimer::kChar); }));
    EXPECT_GT(timer_.Remaining(LinkTimer::kResponse), 0);
    ASSERT_TRUE(Eventually([&] { return timer_.Expired(LinkTimer::kResponse); }));
    EXPECT_EQ(timer_.Remaining(LinkTimer::kChar), 0);
    // Re-arming starts a new countdown.
    timer_.Arm(LinkTimer::kChar, 3);
    EXPECT_GT(timer_.Remaining(LinkTimer::kChar), 0);
    EXPECT_TRUE(Eventually([&] { return timer_.Expired(LinkTimer::kChar); }));
}

TEST_P(LinkTimerTest, StartWhileRunningKeepsTheCountdowns) {
    timer_.Arm(LinkTimer::kResponse, 1000);
    timer_.Start();
    EXPECT_GT(timer_.Remaining(LinkTimer::kResponse), 900);
}

INSTANTIATE_TEST_SUITE_P(TickerAndWallClock, LinkTimerTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& param_info) {
                             return std::string(param_info.param ? "WallClock" : "Ticker");
                         });

}  // namespace
}  // namespace kotar
