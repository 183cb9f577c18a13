// The request/reply exchange against a small in-process peer that answers on
// its own thread, as the host's receive thread would deliver the reply.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "ftengine/engine/ft_exchange.h"
#include "ftengine/wire/ft_protocol.h"
#include "ftengine/wire/ft_replies.h"
#include "ftengine/wire/ft_requests.h"
#include "ftengine/wire/ft_status.h"

namespace zel::ftengine {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

// Answers each request it is sent with the reply the test queued for it, on
// a thread of its own; an empty reply means "stay silent".
class FakePeer {
 public:
  explicit FakePeer(FtQueue& queue) : queue_(queue), thread_([this] { run(); }) {}
  ~FakePeer() {
    {
      std::lock_guard<std::mutex> hold(lock_);
      stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }
  void answerWith(Bytes reply) {
    std::lock_guard<std::mutex> hold(lock_);
    answers_.push_back(std::move(reply));
  }
  SendMessage sender() {
    return [this](std::span<const std::uint8_t> request) {
      std::lock_guard<std::mutex> hold(lock_);
      requests_.emplace_back(request.begin(), request.end());
      ++pending_;
      wake_.notify_all();
      return true;
    };
  }
  // Delivers a message as if it arrived late.
  void deliver(const Bytes& m) { queue_.push(m); }
  std::size_t requestCount() {
    std::lock_guard<std::mutex> hold(lock_);
    return requests_.size();
  }

 private:
  void run() {
    std::unique_lock<std::mutex> hold(lock_);
    while (true) {
      wake_.wait(hold, [this] { return stop_ || pending_ > 0; });
      if (stop_) return;
      --pending_;
      Bytes reply;
      if (!answers_.empty()) {
        reply = std::move(answers_.front());
        answers_.pop_front();
      }
      if (!reply.empty()) queue_.push(reply);
    }
  }

  FtQueue& queue_;
  std::mutex lock_;
  std::condition_variable wake_;
  std::deque<Bytes> answers_;
  std::vector<Bytes> requests_;
  int pending_ = 0;
  bool stop_ = false;
  std::thread thread_;
};

Bytes statusReply(std::uint8_t op, std::int32_t status, std::size_t extra = 1) {
  Bytes m(11 + extra, 0);
  writeHeader(m, FtHeader{op, static_cast<std::uint16_t>(m.size()), 1, status, 0});
  return m;
}

class Exchange : public ::testing::Test {
 protected:
  std::int32_t run(std::size_t room, std::chrono::milliseconds timeout = 60s) {
    reply_.assign(room, 0);
    return exchange(&queue_, lock_, peer_.sender(), encodeDeleteRequest(), reply_, length_,
                    timeout);
  }
  static WireMessage encodeDeleteRequest() { return encodePathRequest(FTM_DELETE, 1, 1, "C:\\x"); }

  FtQueue queue_;
  std::mutex lock_;
  FakePeer peer_{queue_};
  Bytes reply_;
  std::size_t length_ = 0;
};

TEST_F(Exchange, TakesTheReply) {
  peer_.answerWith(statusReply(132, 5));
  ASSERT_EQ(run(12), FT_OK);
  EXPECT_EQ(length_, 12u);
  EXPECT_EQ(decodeStatusReply(std::span(reply_).first(length_), FTM_DELETE), 5);
}

TEST_F(Exchange, ReplyLongerThanRoomIsRefusedAndFlushed) {
  peer_.answerWith(statusReply(132, 0, 2));  // 13 bytes for a room of 12
  EXPECT_EQ(run(12), FTERR_RECEIVE);
  EXPECT_FALSE(queue_.hasData());
}

TEST_F(Exchange, SilenceTimesOutAndALateReplyDoesNotAnswerTheNextRequest) {
  peer_.answerWith({});
  EXPECT_EQ(run(12, 30ms), FTERR_TIMEOUT);
  peer_.deliver(statusReply(132, 99));  // the late answer to the first request
  peer_.answerWith(statusReply(132, 7));
  ASSERT_EQ(run(12), FT_OK);
  EXPECT_EQ(decodeStatusReply(std::span(reply_).first(length_), FTM_DELETE), 7);
  EXPECT_EQ(peer_.requestCount(), 2u);
}

TEST_F(Exchange, FailedSendAndMissingQueue) {
  Bytes reply(12);
  std::size_t length = 0;
  EXPECT_EQ(exchange(
                &queue_, lock_, [](std::span<const std::uint8_t>) { return false; },
                encodeDeleteRequest(), reply, length, 60s),
            FTERR_SEND);
  EXPECT_EQ(exchange(nullptr, lock_, peer_.sender(), encodeDeleteRequest(), reply, length, 60s),
            FTERR_RECEIVE);
  EXPECT_EQ(peer_.requestCount(), 0u);
}

}  // namespace
}  // namespace zel::ftengine
