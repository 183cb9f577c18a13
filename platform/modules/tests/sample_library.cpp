#include "platform/modules/tests/sample_library.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/modules/module_directory.h"

namespace {
int anchor = 0;
}  // namespace

int SampleAdd(int a, int b) {
  return a + b;
}

int SampleDirectory(char* buffer, int size) {
  std::string dir = zel::modules::moduleDirectory(&anchor).string();
  if (size <= 0 || dir.size() >= static_cast<size_t>(size)) return -1;
  std::memcpy(buffer, dir.c_str(), dir.size() + 1);
  return static_cast<int>(dir.size());
}

int SampleFormat(char* buffer, int size, int value) {
  return std::snprintf(buffer, static_cast<size_t>(size), "%d", value);
}
