// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ReceiveQueue.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace kotar {
namespace {

TEST(ReceiveQueue, AFullQueueMakesRoomByMovingWhatIsLeftAndKeepsTheOrder) {
    ReceiveQueue queue;
    std::span<std::uint8_t> room = queue.Room();
    ASSERT_EQ(room.size(), ReceiveQueue::kCapacity);
    std::iota(room.begin(), room.end(), std::uint8_t{0});
    queue.Added(room.size());
    EXPECT_TRUE(queue.Room().empty());

    std::vector<std::uint8_t> taken(10);
    ASSERT_EQ(queue.Take(taken), 10u);
    EXPECT_EQ(taken[9], 9);
    room = queue.Room();
    ASSERT_EQ(room.size(), 10u);
    room[0] = 0xAA;
    queue.Added(1);
    std::vector<std::uint8_t> rest(ReceiveQueue::kCapacity);
    ASSERT_EQ(queue.Take(rest), ReceiveQueue::kCapacity - 9);
    EXPECT_EQ(rest[0], 10);
    EXPECT_EQ(rest[ReceiveQueue::kCapacity - 11], static_cast<std::uint8_t>(4095));
    EXPECT_EQ(rest[ReceiveQueue::kCapacity - 10], 0xAA);
    EXPECT_TRUE(queue.empty());
}

TEST(ReceiveQueue, BytesAReadDrainsInAreUnreportedUntilCounted) {
    ReceiveQueue queue;
    std::vector<std::uint8_t> one(1);
    EXPECT_EQ(queue.Read(one,
                         [&] {
                             queue.Room()[0] = 7;
                             queue.Room()[1] = 8;
                             queue.Added(2);
                         }),
              1u);
    EXPECT_EQ(one[0], 7);
    EXPECT_TRUE(queue.HasUnreported());
    EXPECT_EQ(queue.Report(), 1);
    EXPECT_FALSE(queue.HasUnreported());
    // A read that finds bytes queued does not drain.
    EXPECT_EQ(queue.Read(one, [] { FAIL() << "drained with bytes queued"; }), 1u);
    EXPECT_EQ(one[0], 8);
    queue.Clear();
    EXPECT_EQ(queue.Report(), 0);
}

}  // namespace
}  // namespace kotar
