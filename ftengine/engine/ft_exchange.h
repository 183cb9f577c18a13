// The request/reply exchange: send one request and take the one reply that
// answers it from a queue, under a lock that serialises exchanges on a
// session.
//   1. A null queue gives FTERR_RECEIVE.
//   2. Replies already queued are stale (late answers to an earlier request
//      that timed out) and are discarded before the request is sent.
//   3. A failed send gives FTERR_SEND; no reply within the time-out
//      FTERR_TIMEOUT.
//   4. A reply longer than the room, or one that is gone when it is taken,
//      gives FTERR_RECEIVE and the queue is flushed.
// The queue is not flushed after a successful take: on a transfer's queue the
// first data blocks may follow the reply at once.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>

#include "ftengine/engine/ft_queue.h"

namespace zel::ftengine {

using SendMessage = std::function<bool(std::span<const std::uint8_t> message)>;

// Returns FT_OK with the reply in reply (its size is the room) and its length
// in replyLength, or one of the failure codes above.
std::int32_t exchange(FtQueue* queue, std::mutex& exchangeLock, const SendMessage& send,
                      std::span<const std::uint8_t> request, std::span<std::uint8_t> reply,
                      std::size_t& replyLength, std::chrono::milliseconds timeout);

}  // namespace zel::ftengine
