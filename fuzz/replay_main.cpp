// Replays fuzz inputs without libFuzzer: every argument is a file or a folder
// of files, each fed once to LLVMFuzzerTestOneInput. Used when the fuzz
// targets are built by a compiler without libFuzzer, so the corpus still runs
// as a regression test under the sanitizers.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

void runFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // Copy into an exactly sized buffer so a read past the end is caught.
  std::vector<uint8_t> exact(bytes.begin(), bytes.end());
  LLVMFuzzerTestOneInput(exact.empty() ? nullptr : exact.data(), exact.size());
}

}  // namespace

int main(int argc, char** argv) {
  size_t count = 0;
  for (int i = 1; i < argc; ++i) {
    std::filesystem::path arg(argv[i]);
    if (std::filesystem::is_directory(arg)) {
      for (const auto& entry : std::filesystem::recursive_directory_iterator(arg)) {
        if (entry.is_regular_file()) {
          runFile(entry.path());
          ++count;
        }
      }
    } else {
      runFile(arg);
      ++count;
    }
  }
  // The empty input is always worth a run.
  LLVMFuzzerTestOneInput(nullptr, 0);
  std::printf("replayed %zu inputs\n", count + 1);
  return 0;
}
