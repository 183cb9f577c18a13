// zelrelay: the windowless proxy that owns every connection to the agents.
// It takes no arguments. SIGTERM and SIGINT end it cleanly.
#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <thread>

#include "platform/modules/module_directory.h"
#include "proxy/relay.h"

namespace {

int anchor;

}  // namespace

int main() {
  // Block the stop signals in every thread; one thread takes them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGUSR1);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  zel::proxy::RelayTexts texts(zel::modules::moduleDirectory(&anchor));
  zel::proxy::Relay relay(zel::proxy::RelaySettings::fromEnvironment(), texts);
  std::string error;
  switch (relay.start(&error)) {
    case zel::proxy::StartResult::kStarted:
      break;
    case zel::proxy::StartResult::kOtherProxyRunning:
      return 0;
    case zel::proxy::StartResult::kFailed:
      std::fprintf(stderr, "zelrelay: cannot start: %s\n", error.c_str());
      return 1;
  }

  // SIGUSR1 is sent by this process itself to end the signal thread.
  std::thread signals([&] {
    int received = 0;
    sigwait(&stopSignals, &received);
    if (received != SIGUSR1) relay.requestStop();
  });
  relay.run();
  pthread_kill(signals.native_handle(), SIGUSR1);
  signals.join();
  return 0;
}
