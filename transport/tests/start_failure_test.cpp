// A copy of zellink in a directory without the proxy program: every open
// fails with the default code and the operator is told why.
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

using OpenFunction = void* (*)(const char*, int32_t, uint32_t, int32_t*);

TEST(ProxyStart, MissingProgramFailsTheOpenAndSaysSo) {
  const fs::path directory =
      fs::temp_directory_path() / ("zellink-alone-" + std::to_string(getpid()));
  fs::create_directories(directory);
  const fs::path library = directory / "libzellink.so";
  fs::copy_file(ZELLINK_FILE, library, fs::copy_options::overwrite_existing);

  void* module = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(module, nullptr) << dlerror();
  auto open = reinterpret_cast<OpenFunction>(dlsym(module, "GetClientHandleEx"));
  ASSERT_NE(open, nullptr);

  // Standard error goes to a file while the open runs.
  const fs::path errors = directory / "stderr.txt";
  const int saved = dup(STDERR_FILENO);
  const int file = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_GE(file, 0);
  dup2(file, STDERR_FILENO);
  int32_t code = 99;
  void* handle = open("127.0.0.2", 1, 0, &code);
  dup2(saved, STDERR_FILENO);
  close(file);
  close(saved);

  EXPECT_EQ(handle, nullptr);
  EXPECT_EQ(code, -1);
  std::ifstream in(errors);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find("Marlvane: The communications module zelrelay could not be "
                            "initialized ("),
            std::string::npos)
      << text.str();
  EXPECT_NE(text.str().find(").  Remote Control will not be available."), std::string::npos);
  fs::remove_all(directory);
}

}  // namespace
