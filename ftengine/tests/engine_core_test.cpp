// The reply queue and the tag table.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "ftengine/engine/ft_queue.h"
#include "ftengine/engine/tag_table.h"

namespace zel::ftengine {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(const std::string& s) {
  return Bytes(s.begin(), s.end());
}

TEST(FtQueue, FirstInFirstOutWithRoom) {
  FtQueue q;
  EXPECT_FALSE(q.hasData());
  q.push(bytesOf("first"));
  q.push(bytesOf("second message"));
  EXPECT_TRUE(q.hasData());
  Bytes buffer(8);
  std::size_t length = 0;
  ASSERT_EQ(q.take(buffer, length), FtQueue::Take::Taken);
  EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 5), "first");
  EXPECT_EQ(length, 5u);
  // Longer than the room: reported and left queued.
  EXPECT_EQ(q.take(buffer, length), FtQueue::Take::TooLong);
  EXPECT_EQ(length, 14u);
  EXPECT_EQ(q.size(), 1u);
  Bytes big(64);
  ASSERT_EQ(q.take(big, length), FtQueue::Take::Taken);
  EXPECT_FALSE(q.hasData());
  EXPECT_EQ(q.take(big, length), FtQueue::Take::Empty);
}

TEST(FtQueue, FlushDiscardsEverything) {
  FtQueue q;
  for (int i = 0; i < 10; ++i)
    q.push(bytesOf("late reply"));
  q.flush();
  EXPECT_FALSE(q.hasData());
  EXPECT_EQ(q.waitForData(1ms), FtQueue::Wait::TimedOut);
}

TEST(FtQueue, WaiterWakesOnPushFromAnotherThread) {
  FtQueue q;
  std::thread receiver([&q] {
    std::this_thread::sleep_for(20ms);
    q.push(bytesOf("reply"));
  });
  EXPECT_EQ(q.waitForData(60s), FtQueue::Wait::Ready);
  receiver.join();
  EXPECT_EQ(q.waitForData(0ms), FtQueue::Wait::Ready);  // stays set while queued
}

TEST(FtQueue, ManyProducersLoseNothing) {
  FtQueue q;
  std::vector<std::thread> producers;
  for (int t = 0; t < 4; ++t) {
    producers.emplace_back([&q, t] {
      for (int i = 0; i < 500; ++i)
        q.push(Bytes{static_cast<std::uint8_t>(t)});
    });
  }
  std::size_t taken = 0;
  Bytes one(1);
  std::size_t length;
  while (taken < 2000) {
    ASSERT_EQ(q.waitForData(60s), FtQueue::Wait::Ready);
    while (q.take(one, length) == FtQueue::Take::Taken)
      ++taken;
  }
  for (auto& p : producers)
    p.join();
  EXPECT_EQ(taken, 2000u);
  EXPECT_FALSE(q.hasData());
}

struct Transfer {
  int id;
};

TEST(TagTable, TagsAreNeverZeroAndGoStaleOnRemove) {
  TagTable<Transfer> table;
  EXPECT_EQ(table.find(0), nullptr);
  const std::uint32_t a = table.add(std::make_shared<Transfer>(Transfer{1}));
  const std::uint32_t b = table.add(std::make_shared<Transfer>(Transfer{2}));
  EXPECT_NE(a, 0u);
  EXPECT_NE(b, 0u);
  EXPECT_NE(a, b);
  EXPECT_EQ(table.find(a)->id, 1);
  EXPECT_EQ(table.find(b)->id, 2);
  EXPECT_TRUE(table.remove(a));
  EXPECT_FALSE(table.remove(a));
  EXPECT_EQ(table.find(a), nullptr);
  // The slot is used again under a new tag; the old tag still names nothing.
  const std::uint32_t c = table.add(std::make_shared<Transfer>(Transfer{3}));
  EXPECT_NE(c, a);
  EXPECT_EQ(table.find(a), nullptr);
  EXPECT_EQ(table.find(c)->id, 3);
  // Tags that were never handed out.
  for (std::uint32_t bogus : {0xFFFFFFFFu, 0x00010063u, b + 0x10000u, b & 0xFFFF0000u}) {
    EXPECT_EQ(table.find(bogus), nullptr) << std::hex << bogus;
  }
}

TEST(TagTable, FoundObjectOutlivesItsRemoval) {
  TagTable<Transfer> table;
  const std::uint32_t tag = table.add(std::make_shared<Transfer>(Transfer{7}));
  std::shared_ptr<Transfer> held = table.find(tag);
  table.remove(tag);
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(held->id, 7);
}

TEST(TagTable, GenerationsWrapWithoutReachingZero) {
  TagTable<Transfer> table;
  for (int i = 0; i < 70000; ++i) {
    const std::uint32_t tag = table.add(std::make_shared<Transfer>(Transfer{i}));
    ASSERT_NE(tag, 0u);
    ASSERT_NE(tag >> 16, 0u);
    ASSERT_TRUE(table.remove(tag));
  }
}

}  // namespace
}  // namespace zel::ftengine
