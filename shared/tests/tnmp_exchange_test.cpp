// Request-link exchanges over a connected socket pair, with the peer played
// by a thread of the test that writes hand-built bytes.
#include <gtest/gtest.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <functional>
#include <thread>
#include <vector>

#include "shared/tnmp_exchange.h"
#include "shared/tnmp_frame.h"

namespace zel::shared {
namespace {

constexpr int kGenerousMs = 20000;

class TnmpExchangeTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds_), 0); }
  void TearDown() override {
    if (peer_.joinable()) peer_.join();
    for (int fd : fds_) {
      if (fd >= 0) close(fd);
    }
  }

  int console() const { return fds_[0]; }
  int agent() const { return fds_[1]; }

  // Reads one request frame on the agent side and returns its payload.
  std::vector<uint8_t> readRequest() {
    std::array<uint8_t, kTnmpHeaderSize> header;
    readAll(header.data(), header.size());
    TnmpHeader h = decodeTnmpHeader(header);
    EXPECT_EQ(h.status, TnmpFrameStatus::Ok);
    std::vector<uint8_t> payload(h.payloadLength);
    readAll(payload.data(), payload.size());
    return payload;
  }

  void readAll(uint8_t* into, size_t size) {
    size_t done = 0;
    while (done < size) {
      ssize_t n = read(agent(), into + done, size - done);
      ASSERT_GT(n, 0);
      done += static_cast<size_t>(n);
    }
  }

  void writeAll(const std::vector<uint8_t>& bytes) {
    ASSERT_EQ(write(agent(), bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }

  static std::vector<uint8_t> frame(const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> out;
    appendTnmpFrame(payload, out);
    return out;
  }

  void runPeer(std::function<void()> body) { peer_ = std::thread(std::move(body)); }

  int fds_[2] = {-1, -1};
  std::thread peer_;
};

TEST_F(TnmpExchangeTest, RequestAndReply) {
  runPeer([this] {
    auto request = readRequest();
    EXPECT_EQ(request, (std::vector<uint8_t>{0, 0, 4, 0}));
    writeAll(frame({0x80, 0, 1, 2, 3}));
  });
  std::vector<uint8_t> request = {0, 0, 4, 0};
  std::array<uint8_t, 8192> reply{};
  TnmpExchangeResult r = exchangeTnmp(console(), request, reply, kGenerousMs);
  ASSERT_EQ(r.status, TnmpExchangeStatus::Ok);
  ASSERT_EQ(r.replyLength, 5u);
  EXPECT_EQ(reply[0], 0x80);
  EXPECT_EQ(reply[4], 3);
}

TEST_F(TnmpExchangeTest, LateReplyOfAnEarlierRequestIsDiscarded) {
  // A reply that arrived after its request gave up is in the socket already.
  writeAll(frame({0xEE, 0xEE}));
  runPeer([this] {
    readRequest();
    writeAll(frame({0x80, 0x03}));
  });
  std::array<uint8_t, 64> reply{};
  std::vector<uint8_t> request = {0, 3};
  TnmpExchangeResult r = exchangeTnmp(console(), request, reply, kGenerousMs);
  ASSERT_EQ(r.status, TnmpExchangeStatus::Ok);
  ASSERT_EQ(r.replyLength, 2u);
  EXPECT_EQ(reply[1], 0x03);
}

TEST_F(TnmpExchangeTest, InvalidHeaders) {
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
  };
  std::vector<uint8_t> reserved = frame({1, 2});
  reserved[6] = 1;
  std::vector<uint8_t> marker = frame({1, 2});
  marker[9] = 'X';
  const std::vector<Case> cases = {{"reserved 1", reserved}, {"trail marker", marker}};
  for (const auto& c : cases) {
    runPeer([&] {
      readRequest();
      writeAll(c.bytes);
    });
    std::array<uint8_t, 64> reply{};
    std::vector<uint8_t> request = {0, 0, 4, 0};
    TnmpExchangeResult r = exchangeTnmp(console(), request, reply, kGenerousMs);
    peer_.join();
    EXPECT_EQ(r.status, TnmpExchangeStatus::InvalidHeader) << c.name;
    EXPECT_EQ(r.replyLength, 0u);
  }
}

TEST_F(TnmpExchangeTest, ReplyLongerThanTheBufferIsDroppedAndTheStreamStaysInStep) {
  runPeer([this] {
    readRequest();
    writeAll(frame(std::vector<uint8_t>(100, 0x55)));
    readRequest();
    writeAll(frame({0x80, 0x07}));
  });
  std::array<uint8_t, 64> reply{};
  reply.fill(0x11);
  std::vector<uint8_t> request = {0, 7};
  TnmpExchangeResult first =
      exchangeTnmp(console(), request, std::span(reply).first(32), kGenerousMs);
  EXPECT_EQ(first.status, TnmpExchangeStatus::TooLong);
  for (uint8_t b : reply)
    ASSERT_EQ(b, 0x11) << "nothing is written for a reply that does not fit";
  TnmpExchangeResult second = exchangeTnmp(console(), request, reply, kGenerousMs);
  ASSERT_EQ(second.status, TnmpExchangeStatus::Ok);
  EXPECT_EQ(second.replyLength, 2u);
  EXPECT_EQ(reply[1], 0x07);
}

TEST_F(TnmpExchangeTest, SilentPeerTimesOut) {
  runPeer([this] { readRequest(); });
  std::array<uint8_t, 64> reply{};
  std::vector<uint8_t> request = {0, 0, 4, 0};
  TnmpExchangeResult r = exchangeTnmp(console(), request, reply, 200);
  EXPECT_EQ(r.status, TnmpExchangeStatus::TimedOut);
}

TEST_F(TnmpExchangeTest, CutPayloadTimesOut) {
  runPeer([this] {
    readRequest();
    auto bytes = frame({1, 2, 3, 4, 5, 6});
    bytes.resize(bytes.size() - 3);
    writeAll(bytes);
  });
  std::array<uint8_t, 64> reply{};
  std::vector<uint8_t> request = {0, 0, 4, 0};
  EXPECT_EQ(exchangeTnmp(console(), request, reply, 200).status, TnmpExchangeStatus::TimedOut);
}

TEST_F(TnmpExchangeTest, PeerClosingIsAReceiveFailure) {
  runPeer([this] {
    readRequest();
    writeAll({'T', 'N', 'M'});
    shutdown(agent(), SHUT_WR);
  });
  std::array<uint8_t, 64> reply{};
  std::vector<uint8_t> request = {0, 0, 4, 0};
  TnmpExchangeResult r = exchangeTnmp(console(), request, reply, kGenerousMs);
  EXPECT_EQ(r.status, TnmpExchangeStatus::ReceiveFailed);
  EXPECT_EQ(r.error, 0);
}

TEST_F(TnmpExchangeTest, SendToAClosedPeerFails) {
  close(fds_[1]);
  fds_[1] = -1;
  std::array<uint8_t, 64> reply{};
  std::vector<uint8_t> request = {0, 0, 4, 0};
  TnmpExchangeResult r = exchangeTnmp(console(), request, reply, kGenerousMs);
  EXPECT_EQ(r.status, TnmpExchangeStatus::SendFailed);
  EXPECT_NE(r.error, 0);
}

TEST_F(TnmpExchangeTest, CancelDescriptorEndsTheWait) {
  int cancel = eventfd(0, EFD_CLOEXEC);
  ASSERT_GE(cancel, 0);
  runPeer([this, cancel] {
    readRequest();
    uint64_t one = 1;
    ASSERT_EQ(write(cancel, &one, sizeof one), 8);
  });
  std::array<uint8_t, 64> reply{};
  std::vector<uint8_t> request = {0, 0, 4, 0};
  TnmpExchangeResult r = exchangeTnmp(console(), request, reply, 600000, cancel);
  EXPECT_EQ(r.status, TnmpExchangeStatus::Cancelled);
  peer_.join();
  close(cancel);
}

TEST(TnmpReplyTimeout, TokenChunksWaitLonger) {
  EXPECT_EQ(tnmpReplyTimeoutMs(std::vector<uint8_t>{0, 5, 1}), 40000);
  EXPECT_EQ(tnmpReplyTimeoutMs(std::vector<uint8_t>{0, 6}), 10000);
  EXPECT_EQ(tnmpReplyTimeoutMs(std::vector<uint8_t>{1, 5}), 10000);
  EXPECT_EQ(tnmpReplyTimeoutMs(std::vector<uint8_t>{0}), 10000);
}

}  // namespace
}  // namespace zel::shared
