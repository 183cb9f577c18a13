// Whether an agent address names this machine: an address assigned to one of
// its interfaces (127.0.0.1 included) or one that its host name resolves to.
// Other 127/8 addresses reach this machine but are not its own.
#pragma once

#include <cstdint>
#include <vector>

#include "shared/client_address.h"

namespace zel::proxy {

// The IPv4 addresses (host byte order) that the host name resolves to.
std::vector<uint32_t> hostNameAddresses();

// True for an IP address of this machine. IPX addresses never are: this
// machine has no IPX network of its own.
bool isLocalMachine(const shared::ClientAddress& address);

}  // namespace zel::proxy
