// The proxy's texts (its session log entries), by number, and the language
// catalogue that translates them (suffix "relay.dll").
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/texts/format_argument.h"
#include "platform/texts/text_resources.h"

namespace zel::proxy {

namespace text_id {
inline constexpr uint32_t kUnableToInitializeThreads = 1;
inline constexpr uint32_t kTryingTcp = 3;
inline constexpr uint32_t kContactedTcp = 4;
inline constexpr uint32_t kTcpOnlyOnePort = 5;
inline constexpr uint32_t kTryingUdp = 6;
inline constexpr uint32_t kReceiveFailed = 8;
inline constexpr uint32_t kInvalidViewHeader = 9;
inline constexpr uint32_t kTnmpReceiveFailed = 10;
inline constexpr uint32_t kDisconnectedView = 11;
inline constexpr uint32_t kTnmpSendFailed = 12;
inline constexpr uint32_t kTnmpInvalidHeader = 13;
}  // namespace text_id

class RelayTexts {
 public:
  // The built-in texts alone.
  RelayTexts();
  // The built-in texts and the catalogue of the user's language found in
  // `directory`.
  explicit RelayTexts(const std::filesystem::path& directory);

  std::string_view text(uint32_t number) const { return resources_.text(number); }
  // The text with its printf-style inserts filled in.
  std::string format(uint32_t number, std::initializer_list<texts::FormatArgument> arguments) const;

 private:
  texts::TextResources resources_;
};

}  // namespace zel::proxy
