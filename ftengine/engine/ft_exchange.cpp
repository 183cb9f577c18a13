#include "ftengine/engine/ft_exchange.h"

#include "ftengine/wire/ft_status.h"

namespace zel::ftengine {

std::int32_t exchange(FtQueue* queue, std::mutex& exchangeLock, const SendMessage& send,
                      std::span<const std::uint8_t> request, std::span<std::uint8_t> reply,
                      std::size_t& replyLength, std::chrono::milliseconds timeout) {
  replyLength = 0;
  if (queue == nullptr) return FTERR_RECEIVE;
  std::lock_guard<std::mutex> hold(exchangeLock);
  if (queue->hasData()) queue->flush();
  if (!send(request)) return FTERR_SEND;
  if (queue->waitForData(timeout) != FtQueue::Wait::Ready) return FTERR_TIMEOUT;
  std::size_t length = 0;
  if (queue->take(reply, length) != FtQueue::Take::Taken) {
    queue->flush();
    return FTERR_RECEIVE;
  }
  replyLength = length;
  return FT_OK;
}

}  // namespace zel::ftengine
