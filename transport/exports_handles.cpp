// Exports of the handle life cycle.
#include "shared/transport_errors.h"
#include "transport/export_guard.h"
#include "transport/link_state.h"
#include "transport/zellink.h"

using zel::transport::guarded;
using zel::transport::guardedVoid;
using zel::transport::LinkState;
using zel::transport::SessionChannel;
namespace error = zel::shared::transport_error;

namespace {

SessionChannel* lookUp(::ClientHandle value) {
  return LinkState::instance().find(value);
}

::ClientHandle toExport(SessionChannel* handle) {
  return reinterpret_cast<::ClientHandle>(handle);
}

}  // namespace

extern "C" {

ZELLINK_API ::ClientHandle GetClientHandleEx(const char* addressList, int32_t channelType,
                                             ZelKernelHandle abortEvent, int32_t* errorCode) {
  int32_t code = error::kFailed;
  ::ClientHandle result = guarded<::ClientHandle>(nullptr, [&] {
    return toExport(LinkState::instance().open(addressList, channelType, abortEvent, code));
  });
  if (errorCode != nullptr) *errorCode = code;
  return result;
}

ZELLINK_API ::ClientHandle GetClientHandle(const char* addressList, int32_t channelType) {
  return GetClientHandleEx(addressList, channelType, 0, nullptr);
}

// The connect sequence (agent query, security negotiation, permission) is
// not built yet: every connect fails with the default failure code.
ZELLINK_API int32_t ConnectToClient(::ClientHandle handle, ZelWindow, int32_t) {
  return guarded<int32_t>(error::kFailed, [&] {
    (void)lookUp(handle);
    return error::kFailed;
  });
}

ZELLINK_API void CloseClientHandle(::ClientHandle handle) {
  guardedVoid([&] {
    if (SessionChannel* found = lookUp(handle)) LinkState::instance().close(found);
  });
}

ZELLINK_API int32_t TerminateSessionWithClient(::ClientHandle handle) {
  return guarded<int32_t>(0, [&] {
    SessionChannel* found = lookUp(handle);
    if (found == nullptr) return 0;
    found->markTerminated();
    if (found->usable()) found->endSession();
    return 1;
  });
}

// Re-opening channel 0 after an agent reset belongs to the connect sequence;
// until then it fails.
ZELLINK_API int32_t ResetClientHandle(::ClientHandle handle) {
  return guarded<int32_t>(0, [&] {
    (void)lookUp(handle);
    return 0;
  });
}

ZELLINK_API void ResetHandle(::ClientHandle) {}

ZELLINK_API void CancelTNMPRequest(::ClientHandle handle) {
  guardedVoid([&] {
    if (SessionChannel* found = lookUp(handle)) found->cancel();
  });
}

ZELLINK_API int32_t CancelTNMPRequestEx(const char* formattedAddress) {
  return guarded<int32_t>(0, [&] {
    if (formattedAddress == nullptr) return 0;
    int32_t cancelled = 0;
    for (SessionChannel* handle : LinkState::instance().clients().withAddress(formattedAddress)) {
      handle->cancel();
      cancelled = 1;
    }
    return cancelled;
  });
}

}  // extern "C"
