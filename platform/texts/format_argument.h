// One typed argument of the text formatters. The formatters never read an
// argument that was not given, so a translated text (which is data, not code)
// cannot make them read past the arguments the caller passed.
#pragma once

#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>

namespace zel::texts {

class FormatArgument {
 public:
  enum class Kind : std::uint8_t { Text, Character, Signed, Unsigned };

  // Texts are referred to, not copied: an argument lives for one call.
  FormatArgument(std::string_view text) : kind_(Kind::Text), text_(text) {}
  FormatArgument(const std::string& text) : kind_(Kind::Text), text_(text) {}
  FormatArgument(const char* text)
      : kind_(Kind::Text), text_(text != nullptr ? std::string_view(text) : "(null)") {}
  FormatArgument(char c) : kind_(Kind::Character), bits_(static_cast<unsigned char>(c)), size_(1) {}
  FormatArgument(bool value) : kind_(Kind::Unsigned), bits_(value ? 1 : 0), size_(1) {}

  template <std::signed_integral T>
  FormatArgument(T value)
      : kind_(Kind::Signed),
        bits_(static_cast<std::uint64_t>(static_cast<std::int64_t>(value))),
        size_(sizeof(T)) {}
  template <std::unsigned_integral T>
  FormatArgument(T value) : kind_(Kind::Unsigned), bits_(value), size_(sizeof(T)) {}

  Kind kind() const { return kind_; }
  std::string_view text() const { return text_; }
  bool isNumber() const { return kind_ != Kind::Text; }
  // The value as the caller gave it (characters as their code 0..255).
  bool isNegative() const { return kind_ == Kind::Signed && static_cast<std::int64_t>(bits_) < 0; }
  std::uint64_t magnitude() const { return isNegative() ? ~bits_ + 1 : bits_; }
  // The value's bits in its own width, read as unsigned ("%u" and "%x" of -1
  // as an int give 4294967295 and ffffffff, as in C).
  std::uint64_t unsignedBits() const {
    return size_ >= 8 ? bits_ : bits_ & ((std::uint64_t{1} << (8 * size_)) - 1);
  }

 private:
  Kind kind_;
  std::string_view text_;
  std::uint64_t bits_ = 0;
  std::uint8_t size_ = 0;
};

}  // namespace zel::texts
