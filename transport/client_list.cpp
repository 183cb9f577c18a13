#include "transport/client_list.h"

#include <algorithm>
#include <cctype>

namespace zel::transport {

namespace {

bool equalIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

SessionChannel* ClientList::add(std::unique_ptr<SessionChannel> handle) {
  entries_.push_back(std::move(handle));
  return entries_.back().get();
}

SessionChannel* ClientList::find(const void* value) const {
  if (value == nullptr) return nullptr;
  for (const auto& entry : entries_) {
    if (entry.get() == value) return entry.get();
  }
  return nullptr;
}

std::unique_ptr<SessionChannel> ClientList::remove(SessionChannel* handle) {
  const auto it = std::find_if(entries_.begin(), entries_.end(),
                               [handle](const auto& entry) { return entry.get() == handle; });
  if (it == entries_.end()) return nullptr;
  std::unique_ptr<SessionChannel> taken = std::move(*it);
  entries_.erase(it);
  return taken;
}

std::vector<std::unique_ptr<SessionChannel>> ClientList::removeAll() {
  std::vector<std::unique_ptr<SessionChannel>> taken;
  while (!entries_.empty()) {
    taken.push_back(std::move(entries_.back()));
    entries_.pop_back();
  }
  return taken;
}

std::vector<SessionChannel*> ClientList::newestFirst() const {
  std::vector<SessionChannel*> all;
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
    all.push_back(it->get());
  return all;
}

std::vector<SessionChannel*> ClientList::withAddress(std::string_view address) const {
  std::vector<SessionChannel*> found;
  for (const auto& entry : entries_) {
    if (equalIgnoringCase(entry->formattedAddress(), address)) found.push_back(entry.get());
  }
  return found;
}

}  // namespace zel::transport
