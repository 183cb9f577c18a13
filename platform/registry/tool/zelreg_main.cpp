#include <iostream>
#include <string>
#include <vector>

#include "platform/registry/tool/zelreg.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  const int status = zel::registry::tool::runZelreg(args, std::cout, std::cerr);
  std::cout.flush();
  return std::cout.fail() && status == 0 ? zel::registry::tool::kExitFailed : status;
}
