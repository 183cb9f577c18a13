// Events: auto-reset (a wait that sees it signalled consumes the signal, so
// one set wakes one waiter) and manual-reset (stays signalled until reset).
#pragma once

#include <string_view>

#include "platform/kernel/handle.h"

namespace zel::kernel {

enum class EventReset { kAuto, kManual };

// With a name, an existing event of that name is opened instead and its
// state left alone (see create_section for `existed`).
Handle create_event(EventReset reset, bool initially_signalled, std::string_view name = {},
                    bool* existed = nullptr);
Handle open_event(std::string_view name);

bool set_event(Handle event);
bool reset_event(Handle event);
// Releases the threads waiting at this moment, exactly one of them for an
// auto-reset event and all of them for a manual-reset one, and leaves the
// event unsignalled. With nobody waiting it only resets the event. A wait
// that starts after the pulse does not see it.
bool pulse_event(Handle event);

}  // namespace zel::kernel
