// A stand-in for a tool process that holds a channel: it only lives until it
// is killed, so tests can check what the proxy does with live and dead
// holders.
#include <unistd.h>

int main() {
  while (true)
    pause();
}
