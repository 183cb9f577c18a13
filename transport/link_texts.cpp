#include "transport/link_texts.h"

#include <array>

#include "platform/modules/module_directory.h"
#include "platform/texts/text_resources.h"
#include "shared/transport_errors.h"

namespace zel::transport {

namespace {

using shared::transportErrorText;
namespace error = shared::transport_error;

const std::array<texts::BuiltinText, 16> kBuiltin{{
    {text_number::kCaption, "Marlvane"},
    {text_number::kPermissionTimedOut, transportErrorText(error::kPermissionTimedOut)},
    {text_number::kPermissionDenied, transportErrorText(error::kPermissionDenied)},
    {text_number::kPermissionUnavailable, transportErrorText(error::kPermissionUnavailable)},
    {text_number::kProxyStartFailed,
     "The communications module %1!s! could not be initialized (%2!s!).  Remote Control will "
     "not be available."},
    {text_number::kNoAgent, transportErrorText(error::kNoAgent)},
    {30, "Unable to establish a session with the remote control agent."},
    {text_number::kNoRights, transportErrorText(error::kNoRights)},
    {text_number::kRequestFailed, transportErrorText(error::kFailed)},
    {text_number::kAgentBusy, transportErrorText(error::kAgentBusy)},
    {text_number::kNoCertificate, transportErrorText(error::kNetWareMissing)},
    {text_number::kCertificateInvalid, transportErrorText(error::kNetWareUnreadable)},
    {text_number::kBadAddress, transportErrorText(error::kBadAddress)},
    {text_number::kLocalMachine, transportErrorText(error::kLocalMachine)},
    {text_number::kChannelHeld, transportErrorText(error::kChannelHeld)},
    {text_number::kNotSupported, transportErrorText(error::kNotSupported)},
}};

// Anchors the lookup of this library's directory.
const int kModuleAnchor = 0;

const texts::TextResources& resources() {
  // Never destroyed: texts may be wanted from static destructors.
  static const texts::TextResources* loaded = new texts::TextResources(
      texts::TextResources::load(kBuiltin, modules::moduleDirectory(&kModuleAnchor), "link.dll"));
  return *loaded;
}

}  // namespace

std::string_view linkText(uint32_t number) {
  return resources().text(number);
}

uint32_t errorTextNumber(int32_t code) {
  switch (code) {
    case error::kChannelHeld:
      return text_number::kChannelHeld;
    case error::kAgentBusy:
      return text_number::kAgentBusy;
    case error::kNoRights:
    case error::kNoChannelRight:
      return text_number::kNoRights;
    case error::kNetWareMissing:
      return text_number::kNoCertificate;
    case error::kNetWareUnreadable:
      return text_number::kCertificateInvalid;
    case error::kPermissionDenied:
      return text_number::kPermissionDenied;
    case error::kPermissionTimedOut:
      return text_number::kPermissionTimedOut;
    case error::kPermissionUnavailable:
      return text_number::kPermissionUnavailable;
    case error::kNotSupported:
      return text_number::kNotSupported;
    case error::kBadAddress:
      return text_number::kBadAddress;
    case error::kNoAgent:
      return text_number::kNoAgent;
    case error::kLocalMachine:
      return text_number::kLocalMachine;
    default:
      return text_number::kRequestFailed;
  }
}

}  // namespace zel::transport
