#include "proxy/tests/relay_client.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "platform/kernel/event.h"
#include "platform/kernel/mutex.h"
#include "platform/kernel/process.h"
#include "platform/kernel/section.h"
#include "platform/kernel/wait.h"
#include "shared/object_names.h"
#include "shared/request_codes.h"

extern char** environ;

namespace zel::proxy::testing {

namespace {

using namespace std::chrono_literals;

bool acquired(const kernel::WaitResult& result) {
  return result.index == 0 && (result.status == kernel::WaitStatus::kSignalled ||
                               result.status == kernel::WaitStatus::kAbandoned);
}

void closeAll(std::initializer_list<kernel::Handle*> handles) {
  for (kernel::Handle* handle : handles) {
    if (*handle != kernel::kNullHandle) kernel::close_handle(*handle);
    *handle = kernel::kNullHandle;
  }
}

}  // namespace

std::string programDirectory() {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
}

pid_t spawnProgram(const std::string& name, const std::vector<std::string>& arguments,
                   const std::vector<std::pair<std::string, std::string>>& environment) {
  std::string path = programDirectory() + "/" + name;
  std::vector<std::string> variables;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    std::string variable(*entry);
    bool replaced = false;
    for (const auto& [key, value] : environment) {
      if (variable.rfind(key + "=", 0) == 0) replaced = true;
    }
    if (!replaced) variables.push_back(variable);
  }
  for (const auto& [key, value] : environment)
    variables.push_back(key + "=" + value);
  std::vector<char*> envp;
  for (auto& variable : variables)
    envp.push_back(variable.data());
  envp.push_back(nullptr);
  std::vector<std::string> args{path};
  args.insert(args.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (auto& arg : args)
    argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) return -1;
  return pid;
}

int waitForExit(pid_t pid, int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (true) {
    int status = 0;
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) return status;
    if (done < 0) return -1;
    if (std::chrono::steady_clock::now() >= deadline) return -1;
    std::this_thread::sleep_for(20ms);
  }
}

void killAndReap(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGKILL);
  waitForExit(pid, 30000);
}

RelayProcess::RelayProcess(const std::vector<std::pair<std::string, std::string>>& environment) {
  pid_ = spawnProgram(shared::kRelayProgramName, {}, environment);
}

RelayProcess::~RelayProcess() {
  if (pid_ <= 0 || reaped_) return;
  kill(pid_, SIGTERM);
  if (waitForExit(pid_, 30000) == -1) killAndReap(pid_);
}

bool RelayProcess::waitReady(int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    kernel::Handle ready = kernel::open_event(shared::kRelayReadyEventName);
    if (ready != kernel::kNullHandle) {
      kernel::WaitResult result = kernel::wait_one(ready, 200);
      kernel::close_handle(ready);
      if (result.status == kernel::WaitStatus::kSignalled) {
        // The area must belong to this proxy, not to one that is leaving.
        kernel::Handle section = kernel::open_section(shared::kGlobalAreaName);
        if (section != kernel::kNullHandle) {
          auto* area = static_cast<shared::GlobalArea*>(kernel::map_view(section));
          bool ours = area != nullptr && area->proxyProcessId == static_cast<uint32_t>(pid_);
          if (area != nullptr) kernel::unmap_view(area);
          kernel::close_handle(section);
          if (ours) return true;
        }
      }
    }
    std::this_thread::sleep_for(20ms);
  }
  return false;
}

int RelayProcess::waitExit(int timeoutMs) {
  int status = waitForExit(pid_, timeoutMs);
  if (status != -1) reaped_ = true;
  return status;
}

GlobalClient::~GlobalClient() {
  if (area_ != nullptr) kernel::unmap_view(area_);
  area_ = nullptr;
  closeAll({&mutex_, &reply_, &request_, &section_, &process_});
}

bool GlobalClient::connect() {
  section_ = kernel::open_section(shared::kGlobalAreaName);
  if (section_ == kernel::kNullHandle) return false;
  area_ = static_cast<shared::GlobalArea*>(kernel::map_view(section_));
  if (area_ == nullptr) return false;
  proxyPid_ = area_->proxyProcessId;
  process_ = kernel::open_process(proxyPid_);
  request_ = kernel::duplicate_handle(proxyPid_, area_->requestEvent);
  reply_ = kernel::duplicate_handle(proxyPid_, area_->replyEvent);
  mutex_ = kernel::duplicate_handle(proxyPid_, area_->mutex);
  return process_ != kernel::kNullHandle && request_ != kernel::kNullHandle &&
         reply_ != kernel::kNullHandle && mutex_ != kernel::kNullHandle;
}

GlobalResult GlobalClient::request(int32_t code,
                                   const std::function<void(shared::GlobalArea&)>& fill,
                                   const std::function<void(const shared::GlobalArea&)>& read) {
  GlobalResult result;
  kernel::Handle lockWait[] = {mutex_, process_};
  if (!acquired(kernel::wait_any(lockWait, 40000))) return result;
  area_->code = code;
  if (fill) fill(*area_);
  kernel::set_event(request_);
  kernel::Handle replyWait[] = {reply_, process_};
  if (acquired(kernel::wait_any(replyWait, 30000))) {
    result.answered = true;
    result.status = area_->code;
    if (read) read(*area_);
  }
  kernel::release_mutex(mutex_);
  return result;
}

GlobalClient::OpenResult GlobalClient::open(uint32_t holderPid, int32_t channel,
                                            const shared::ClientAddress& address) {
  OpenResult open;
  GlobalResult result = request(
      shared::global_request::kOpen,
      [&](shared::GlobalArea& area) {
        area.data.open.processId = holderPid;
        area.data.open.channel = channel;
        area.data.open.address = address;
      },
      [&](const shared::GlobalArea& area) { open.section = area.data.openReply.sessionSection; });
  open.status = result.answered ? result.status : -100;
  return open;
}

int32_t GlobalClient::close(int32_t channel, const shared::ClientAddress& address) {
  GlobalResult result = request(shared::global_request::kClose, [&](shared::GlobalArea& area) {
    area.data.close.channel = channel;
    area.data.close.address = address;
  });
  return result.answered ? result.status : -100;
}

SessionClient::~SessionClient() {
  if (area_ != nullptr) kernel::unmap_view(area_);
  area_ = nullptr;
  closeAll({&semaphore_, &transactionReply_, &transactionRequest_, &mutex_, &reply_, &request_,
            &section_, &process_});
}

bool SessionClient::bind(const GlobalClient& global, uint32_t section, int32_t channel) {
  uint32_t proxy = global.proxyProcessId();
  process_ = kernel::duplicate_handle(kernel::current_process_id(), global.proxyProcess());
  section_ = kernel::duplicate_handle(proxy, section);
  if (section_ == kernel::kNullHandle) return false;
  area_ = static_cast<shared::SessionArea*>(kernel::map_view(section_));
  if (area_ == nullptr) return false;
  request_ = kernel::duplicate_handle(proxy, area_->requestEvent);
  reply_ = kernel::duplicate_handle(proxy, area_->replyEvent);
  mutex_ = kernel::duplicate_handle(proxy, area_->mutex);
  transactionRequest_ = kernel::duplicate_handle(proxy, area_->transactionRequestEvent);
  transactionReply_ = kernel::duplicate_handle(proxy, area_->transactionReplyEvent);
  semaphore_ = kernel::duplicate_handle(proxy, area_->receiveSemaphore[channel]);
  return process_ != kernel::kNullHandle && request_ != kernel::kNullHandle &&
         reply_ != kernel::kNullHandle && mutex_ != kernel::kNullHandle &&
         transactionRequest_ != kernel::kNullHandle && transactionReply_ != kernel::kNullHandle &&
         semaphore_ != kernel::kNullHandle;
}

GlobalResult SessionClient::request(int32_t code,
                                    const std::function<void(shared::SessionArea&)>& fill,
                                    const std::function<void(const shared::SessionArea&)>& read) {
  GlobalResult result;
  kernel::Handle lockWait[] = {mutex_, process_};
  if (!acquired(kernel::wait_any(lockWait, 10000))) return result;
  area_->code = code;
  if (fill) fill(*area_);
  kernel::set_event(request_);
  kernel::Handle replyWait[] = {reply_, process_};
  if (acquired(kernel::wait_any(replyWait, 30000))) {
    result.answered = true;
    result.status = area_->code;
    if (read) read(*area_);
  }
  kernel::release_mutex(mutex_);
  return result;
}

TransactionResult SessionClient::transaction(const std::vector<uint8_t>& request,
                                             uint32_t timeoutMs) {
  std::memcpy(area_->transactionBuffer, request.data(),
              std::min(request.size(), shared::kTransactionBufferSize));
  return rawTransaction(static_cast<uint32_t>(request.size()), timeoutMs);
}

TransactionResult SessionClient::rawTransaction(uint32_t length, uint32_t timeoutMs) {
  TransactionResult result;
  area_->transactionLength = length;
  kernel::set_event(transactionRequest_);
  kernel::Handle replyWait[] = {transactionReply_, process_};
  if (!acquired(kernel::wait_any(replyWait, timeoutMs))) return result;
  result.answered = true;
  result.valid = area_->transactionReplyValid == 1;
  if (result.valid) {
    uint32_t size = std::min<uint32_t>(area_->transactionLength, shared::kTransactionBufferSize);
    result.reply.assign(area_->transactionBuffer, area_->transactionBuffer + size);
  }
  return result;
}

}  // namespace zel::proxy::testing
