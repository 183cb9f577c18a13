#include "proxy/relay_texts.h"

#include <array>

#include "platform/texts/printf_format.h"

namespace zel::proxy {

namespace {

constexpr std::array<texts::BuiltinText, 11> kBuiltinTexts = {{
    {text_id::kUnableToInitializeThreads, "Unable to initialize threads."},
    {text_id::kTryingTcp, "Trying to connect to %s using TCP"},
    {text_id::kContactedTcp, "The agent on %s was contacted using TCP."},
    {text_id::kTcpOnlyOnePort, "TCP was present on only one port."},
    {text_id::kTryingUdp, "No TCP agent found.  Trying to contact the agent on %s using UDP."},
    {text_id::kReceiveFailed, "Receive failed: %d."},
    {text_id::kInvalidViewHeader, "Received an invalid header."},
    {text_id::kTnmpReceiveFailed, "TNMP receive failed: %d."},
    {text_id::kDisconnectedView, "Disconnected from the view port."},
    {text_id::kTnmpSendFailed, "TNMP send failed: %d."},
    {text_id::kTnmpInvalidHeader, "TNMP received an invalid header"},
}};

constexpr std::string_view kCatalogueSuffix = "relay.dll";

}  // namespace

RelayTexts::RelayTexts() : resources_(kBuiltinTexts) {}

RelayTexts::RelayTexts(const std::filesystem::path& directory)
    : resources_(texts::TextResources::load(kBuiltinTexts, directory, kCatalogueSuffix)) {}

std::string RelayTexts::format(uint32_t number,
                               std::initializer_list<texts::FormatArgument> arguments) const {
  return texts::formatPrintf(text(number), arguments);
}

}  // namespace zel::proxy
