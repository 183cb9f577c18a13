// A scratch row of raw pixel values that keeps short rows (the usual tile and
// glyph widths) off the heap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace zel::gdi {

template <typename T, size_t kInline = 256>
class RowBuffer {
 public:
  RowBuffer() = default;
  explicit RowBuffer(size_t n) { resize(n); }
  RowBuffer(const RowBuffer&) = delete;
  RowBuffer& operator=(const RowBuffer&) = delete;

  void resize(size_t n) {
    size_ = n;
    if (n > kInline) {
      heap_ = std::make_unique<T[]>(n);
      data_ = heap_.get();
    } else {
      data_ = inline_;
    }
  }
  T* data() { return data_; }
  const T* data() const { return data_; }
  size_t size() const { return size_; }
  T& operator[](size_t i) { return data_[i]; }
  const T& operator[](size_t i) const { return data_[i]; }

 private:
  T inline_[kInline];
  std::unique_ptr<T[]> heap_;
  T* data_ = inline_;
  size_t size_ = 0;
};

}  // namespace zel::gdi
