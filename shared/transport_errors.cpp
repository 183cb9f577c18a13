#include "shared/transport_errors.h"

namespace zel::shared {

std::string_view transportErrorText(int32_t code) {
  using namespace transport_error;
  switch (code) {
    case kSuccess:
      return {};
    case kChannelHeld:
      return "This machine already has a session with the remote client.";
    case kAgentBusy:
      return "The client machine is already being accessed from another console.";
    case kNoRights:
    case kNoChannelRight:
      return "You do not have rights to access the client machine.";
    case kNetWareMissing:
      return "Unable to get a security certificate.";
    case kNetWareUnreadable:
      return "The client has indicated the certificate is invalid, possibly because it has "
             "expired.";
    case kPermissionDenied:
      return "Remote user has denied permission.";
    case kPermissionTimedOut:
      return "The user did not grant permission before the timeout period elapsed.";
    case kPermissionUnavailable:
      return "Unable to ask the user for permission.";
    case kNotSupported:
      return "The control is not supported.";
    case kBadAddress:
      return "The remote client computer could not be contacted, possibly because the address "
             "is incorrect or not properly formatted.";
    case kNoAgent:
      return "Unable to locate the agent.";
    case kLocalMachine:
      return "You cannot access the local machine using this remote tool.";
    default:
      return "Unable to send a request to the client.";
  }
}

}  // namespace zel::shared
