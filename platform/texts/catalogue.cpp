#include "platform/texts/catalogue.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "platform/texts/utf8.h"

namespace zel::texts {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::uint32_t kMaxTextNumber = 65535;

std::string systemError() {
  return std::error_code(errno, std::generic_category()).message();
}

bool isBlank(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

std::optional<std::uint32_t> parseNumber(std::string_view digits) {
  if (digits.empty() || digits.size() > 5) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint32_t>(c - '0');
  }
  if (value > kMaxTextNumber) return std::nullopt;
  return value;
}

std::optional<std::string> unescape(std::string_view raw) {
  std::string text;
  text.reserve(raw.size());
  for (size_t i = 0; i < raw.size(); ++i) {
    char c = raw[i];
    if (c == '\0') return std::nullopt;
    if (c != '\\') {
      text += c;
      continue;
    }
    if (++i == raw.size()) return std::nullopt;
    switch (raw[i]) {
      case 'n':
        text += '\n';
        break;
      case 't':
        text += '\t';
        break;
      case 'r':
        text += '\r';
        break;
      case '\\':
        text += '\\';
        break;
      default:
        return std::nullopt;
    }
  }
  if (text.size() > kMaxCatalogueTextBytes || !isValidUtf8(text)) return std::nullopt;
  return text;
}

// Parses one line; returns false when the line is malformed.
bool parseLine(std::string_view line, Catalogue& catalogue) {
  if (isBlank(line) || line[0] == '#') return true;
  size_t tab = line.find('\t');
  if (tab == std::string_view::npos) return false;
  std::optional<std::uint32_t> number = parseNumber(line.substr(0, tab));
  if (!number) return false;
  std::optional<std::string> text = unescape(line.substr(tab + 1));
  if (!text) return false;
  catalogue.texts[*number] = std::move(*text);
  return true;
}

}  // namespace

Catalogue parseCatalogue(std::string_view bytes) {
  Catalogue catalogue;
  if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    bytes.remove_prefix(kByteOrderMark.size());
  }
  while (!bytes.empty()) {
    size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!parseLine(line, catalogue)) ++catalogue.rejectedLines;
  }
  return catalogue;
}

std::optional<Catalogue> readCatalogueFile(const std::filesystem::path& path, std::string* reason) {
  auto fail = [&](std::string why) -> std::optional<Catalogue> {
    if (reason != nullptr) *reason = path.string() + ": " + why;
    return std::nullopt;
  };
  // Opened without blocking, so that a FIFO put in place of a catalogue cannot
  // hang the module; only a regular file is read.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return fail(systemError());
  struct FdCloser {
    int fd;
    ~FdCloser() { ::close(fd); }
  } closer{fd};
  struct stat info {};
  if (::fstat(fd, &info) != 0) return fail(systemError());
  if (!S_ISREG(info.st_mode)) return fail("not a regular file");
  if (static_cast<std::uint64_t>(info.st_size) > kMaxCatalogueBytes) return fail("too large");
  // One byte more than the file's size, to notice a file that grows meanwhile.
  std::string bytes(static_cast<size_t>(info.st_size) + 1, '\0');
  size_t total = 0;
  while (total < bytes.size()) {
    ssize_t n = ::read(fd, bytes.data() + total, bytes.size() - total);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return fail(systemError());
    if (n == 0) break;
    total += static_cast<size_t>(n);
  }
  if (total > static_cast<size_t>(info.st_size)) return fail("changed while being read");
  bytes.resize(total);
  return parseCatalogue(bytes);
}

}  // namespace zel::texts
