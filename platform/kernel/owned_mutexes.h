// The mutexes the calling thread owns. When the thread ends still owning
// some, they are abandoned: marked so, freed, and their waiters woken.
#pragma once

#include "platform/kernel/local_object.h"

namespace zel::kernel::detail {

void note_mutex_acquired(ObjectPtr mutex);
void note_mutex_released(const LocalObject& mutex);

}  // namespace zel::kernel::detail
