// A helper process for the cross-process tests. Its arguments are a script
// of commands, run in order; each command prints exactly one line on stdout
// (flushed at once), so the test can follow along. Handles live in numbered
// slots 0..15; "-" as a name means unnamed.
//
//   event SLOT auto|manual 0|1 NAME     open-event SLOT NAME
//   mutex SLOT 0|1 NAME                 open-mutex SLOT NAME
//   semaphore SLOT INITIAL MAX NAME     open-semaphore SLOT NAME
//   section SLOT SIZE NAME              open-section SLOT NAME
//   process SLOT PID    thread SLOT     dup SLOT PID VALUE
//   set|reset|pulse|release|close SLOT  release-semaphore SLOT COUNT
//   wait SLOT TIMEOUT_MS                store-handle SECTION_SLOT OFFSET SLOT
//   write SECTION_SLOT OFFSET U32       read SECTION_SLOT OFFSET
//   thread-abandon MUTEX_SLOT EVENT_SLOT MS   (a thread takes the mutex,
//                                       sets the event, waits MS and ends)
//   say WORD    sleep MS    hang    exit CODE
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/kernel/errors.h"
#include "platform/kernel/event.h"
#include "platform/kernel/handle.h"
#include "platform/kernel/mutex.h"
#include "platform/kernel/process.h"
#include "platform/kernel/section.h"
#include "platform/kernel/semaphore.h"
#include "platform/kernel/thread.h"
#include "platform/kernel/wait.h"

namespace zk = zel::kernel;

namespace {

class Script {
 public:
  explicit Script(std::vector<std::string> args) : args_(std::move(args)) {}

  int run() {
    while (next_ < args_.size()) {
      std::string verb = word();
      if (!step(verb)) {
        say("bad-command " + verb);
        return 2;
      }
    }
    return 0;
  }

 private:
  std::string word() { return next_ < args_.size() ? args_[next_++] : std::string(); }
  long number() { return std::strtol(word().c_str(), nullptr, 0); }
  unsigned long unsigned_number() { return std::strtoul(word().c_str(), nullptr, 0); }
  zk::Handle& slot() { return slots_[static_cast<size_t>(number()) % slots_.size()]; }
  std::string name() {
    std::string n = word();
    return n == "-" ? std::string() : n;
  }

  static void say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  }
  static void report(bool ok) {
    say(ok ? std::string("ok") : std::string("error ") + zk::error_text(zk::last_error()));
  }
  static void report_handle(zk::Handle h) {
    if (h == zk::kNullHandle) {
      report(false);
    } else {
      say(zk::last_error() == zk::Error::kAlreadyExists ? "existed" : "ok");
    }
  }
  static void report_wait(zk::WaitResult r) {
    switch (r.status) {
      case zk::WaitStatus::kSignalled:
        say("signalled " + std::to_string(r.index));
        break;
      case zk::WaitStatus::kAbandoned:
        say("abandoned " + std::to_string(r.index));
        break;
      case zk::WaitStatus::kTimeout:
        say("timeout");
        break;
      case zk::WaitStatus::kFailed:
        say(std::string("failed ") + zk::error_text(zk::last_error()));
        break;
    }
  }

  void* view_of(zk::Handle section) {
    for (auto& [handle, view] : views_) {
      if (handle == section) return view;
    }
    void* view = zk::map_view(section);
    if (view != nullptr) views_.emplace_back(section, view);
    return view;
  }

  bool step(const std::string& verb) {
    if (verb == "event") {
      zk::Handle& h = slot();
      zk::EventReset reset = word() == "manual" ? zk::EventReset::kManual : zk::EventReset::kAuto;
      bool initial = number() != 0;
      h = zk::create_event(reset, initial, name());
      report_handle(h);
    } else if (verb == "open-event") {
      zk::Handle& h = slot();
      h = zk::open_event(word());
      report_handle(h);
    } else if (verb == "mutex") {
      zk::Handle& h = slot();
      bool owned = number() != 0;
      h = zk::create_mutex(owned, name());
      report_handle(h);
    } else if (verb == "open-mutex") {
      zk::Handle& h = slot();
      h = zk::open_mutex(word());
      report_handle(h);
    } else if (verb == "semaphore") {
      zk::Handle& h = slot();
      auto initial = static_cast<int32_t>(number());
      auto maximum = static_cast<int32_t>(number());
      h = zk::create_semaphore(initial, maximum, name());
      report_handle(h);
    } else if (verb == "open-semaphore") {
      zk::Handle& h = slot();
      h = zk::open_semaphore(word());
      report_handle(h);
    } else if (verb == "section") {
      zk::Handle& h = slot();
      uint64_t size = unsigned_number();
      h = zk::create_section(size, name());
      report_handle(h);
    } else if (verb == "open-section") {
      zk::Handle& h = slot();
      h = zk::open_section(word());
      report_handle(h);
    } else if (verb == "process") {
      zk::Handle& h = slot();
      h = zk::open_process(static_cast<uint32_t>(unsigned_number()));
      report_handle(h);
    } else if (verb == "thread") {
      zk::Handle& h = slot();
      h = zk::open_current_thread();
      report_handle(h);
    } else if (verb == "dup") {
      zk::Handle& h = slot();
      auto pid = static_cast<uint32_t>(unsigned_number());
      auto value = static_cast<zk::Handle>(unsigned_number());
      h = zk::duplicate_handle(pid, value);
      report_handle(h);
    } else if (verb == "set") {
      report(zk::set_event(slot()));
    } else if (verb == "reset") {
      report(zk::reset_event(slot()));
    } else if (verb == "pulse") {
      report(zk::pulse_event(slot()));
    } else if (verb == "release") {
      report(zk::release_mutex(slot()));
    } else if (verb == "close") {
      report(zk::close_handle(slot()));
    } else if (verb == "release-semaphore") {
      zk::Handle h = slot();
      auto count = static_cast<int32_t>(number());
      int32_t previous = -1;
      if (zk::release_semaphore(h, count, &previous)) {
        say("previous " + std::to_string(previous));
      } else {
        report(false);
      }
    } else if (verb == "wait") {
      zk::Handle h = slot();
      report_wait(zk::wait_one(h, static_cast<uint32_t>(unsigned_number())));
    } else if (verb == "store-handle" || verb == "write" || verb == "read") {
      void* view = view_of(slot());
      size_t offset = unsigned_number();
      if (view == nullptr) {
        report(false);
        return true;
      }
      auto* word_at = static_cast<uint32_t*>(view) + offset / 4;
      if (verb == "store-handle") {
        *word_at = slot();
        say("ok");
      } else if (verb == "write") {
        *word_at = static_cast<uint32_t>(unsigned_number());
        say("ok");
      } else {
        say("value " + std::to_string(*word_at));
      }
    } else if (verb == "thread-abandon") {
      zk::Handle mutex = slot();
      zk::Handle acquired = slot();
      auto hold_ms = static_cast<useconds_t>(number());
      zk::WaitResult r{};
      std::thread([&] {
        r = zk::wait_one(mutex, 60000);
        if (acquired != zk::kNullHandle) zk::set_event(acquired);
        usleep(hold_ms * 1000);
        // Ends owning the mutex.
      }).join();
      report_wait(r);
    } else if (verb == "say") {
      say(word());
    } else if (verb == "sleep") {
      usleep(static_cast<useconds_t>(number()) * 1000);
      say("ok");
    } else if (verb == "hang") {
      say("hanging");
      for (;;)
        pause();
    } else if (verb == "exit") {
      std::exit(static_cast<int>(number()));  // NOLINT(concurrency-mt-unsafe)
    } else {
      return false;
    }
    return true;
  }

  std::vector<std::string> args_;
  size_t next_ = 0;
  std::array<zk::Handle, 16> slots_{};
  std::vector<std::pair<zk::Handle, void*>> views_;
};

}  // namespace

int main(int argc, char** argv) {
  return Script(std::vector<std::string>(argv + 1, argv + argc)).run();
}
