// The requests of the global area (open, close, enumerate, information) and
// the reaper of channels whose holders have died.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/kernel/process.h"
#include "proxy/local_machine.h"
#include "proxy/relay.h"
#include "shared/request_codes.h"

namespace zel::proxy {

namespace {

bool holderAlive(uint32_t processId) {
  if (processId == 0) return false;
  kernel::Handle process = kernel::open_process(processId);
  if (process == kernel::kNullHandle) return false;
  // A process that has ended but not been reaped yet holds nothing any more.
  bool alive = kernel::process_running(process);
  kernel::close_handle(process);
  return alive;
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

void putText(char* field, size_t size, std::string_view text) {
  size_t length = std::min(text.size(), size - 1);
  std::memcpy(field, text.data(), length);
  std::memset(field + length, 0, size - length);
}

}  // namespace

void Relay::handleOpen() {
  using namespace shared::global_status;
  const shared::GlobalOpenArgs args = global_->data.open;
  if (!shared::isValidChannel(args.channel)) return answerGlobal(kBadChannel);
  if (!args.address.isValid() || (!args.address.isIp() && !args.address.isIpx())) {
    return answerGlobal(kNotFound);
  }

  Session* session = findSession(args.address);
  if (session != nullptr && session->isChannelOpen(args.channel) &&
      holderAlive(session->channelHolder(args.channel))) {
    return answerGlobal(kChannelHeld);
  }
  if (args.channel != static_cast<int32_t>(shared::ChannelType::Reserved) &&
      isLocalMachine(args.address)) {
    return answerGlobal(kLocalMachine);
  }

  if (session == nullptr) {
    // The dispatcher can wait on no more sessions than this.
    if (sessions_.size() >= kMaxSessions) return answerGlobal(kAreaFailed);
    std::unique_ptr<Session> created =
        Session::create(args.address, SessionEnvironment{&namer_, &texts_, settings_});
    if (!created) return answerGlobal(kAreaFailed);
    if (!created->contactAgent()) {
      // The log goes with the session, which no channel holds.
      created->log().add(shared::message_flags::kInformation,
                         std::string(texts_.text(text_id::kUnableToInitializeThreads)));
      return answerGlobal(kNotFound);
    }
    sessions_.push_back(std::move(created));
    session = sessions_.back().get();
  }
  // Re-opening the remote view after a pause resumes it on the view link,
  // which is set up by the view link itself.
  if (!session->openChannel(args.channel, args.processId)) {
    if (session->openChannelCount() == 0) removeSession(session);
    return answerGlobal(kAreaFailed);
  }
  global_->data.openReply.sessionSection = session->sectionHandle();
  answerGlobal(kOk);
}

void Relay::handleClose() {
  const shared::GlobalCloseArgs args = global_->data.close;
  Session* session = findSession(args.address);
  if (session != nullptr && shared::isValidChannel(args.channel)) {
    closeChannel(session, args.channel);
  }
  answerGlobal(shared::global_status::kOk);
}

void Relay::handleEnumerate() {
  shared::GlobalEnumerateReply& reply = global_->data.enumerate;
  uint32_t count = 0;
  for (const auto& session : sessions_) {
    if (!session->negotiated() || count >= shared::kEnumerateCapacity) continue;
    shared::ClientListRecord& record = reply.records[count++];
    record = shared::ClientListRecord{};
    putText(record.address, sizeof record.address, session->addressText());
    putText(record.machineName, sizeof record.machineName, session->displayName());
    putText(record.userName, sizeof record.userName, session->userName());
    record.openChannels = session->openChannelMask();
  }
  reply.count = count;
  answerGlobal(count > 0 ? shared::global_status::kOk : shared::global_status::kNotFound);
}

void Relay::handleInformation() {
  const char* text = global_->data.information.address;
  std::string wanted(text, strnlen(text, shared::kRecordTextSize));
  for (const auto& session : sessions_) {
    if (!session->negotiated() || !equalIgnoringCase(session->addressText(), wanted)) continue;
    shared::SessionArea& area = session->area();
    // The reply starts behind the first eight bytes of the request text.
    shared::ClientInfoRecord& reply = global_->data.informationReply;
    reply.connected = session->requestLinkUp() ? 1 : 0;
    reply.protocolType = session->transportKind();
    reply.osType = area.osType;
    reply.securityType = area.securityType;
    reply.viewerRights = area.viewerRights;
    reply.userSecurity = area.userSecurity;
    reply.agentVersion = area.agentVersion;
    putText(reply.securityString, sizeof reply.securityString,
            std::string_view(area.securityString,
                             strnlen(area.securityString, sizeof area.securityString)));
    putText(reply.address, sizeof reply.address, session->addressText());
    return answerGlobal(shared::global_status::kOk);
  }
  answerGlobal(shared::global_status::kNotFound);
}

void Relay::reapDeadHolders() {
  std::vector<Session*> sessions;
  for (const auto& session : sessions_)
    sessions.push_back(session.get());
  for (Session* session : sessions) {
    for (int channel = 0; channel < shared::kChannelCount; ++channel) {
      if (!session->isChannelOpen(channel) || holderAlive(session->channelHolder(channel))) {
        continue;
      }
      bool last = session->openChannelCount() == 1;
      closeChannel(session, channel);
      if (last) break;  // the session is gone
    }
  }
}

}  // namespace zel::proxy
