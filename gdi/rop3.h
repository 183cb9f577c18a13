// Ternary raster operations: how destination, source and pattern pixels
// combine. An operation code keeps its index in bits 16..23; bit i of the index
// is the result for pattern bit (i >> 2) & 1, source bit (i >> 1) & 1 and
// destination bit i & 1.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zel::gdi {

inline constexpr uint32_t kSrcCopy = 0x00CC0020;
inline constexpr uint32_t kSrcPaint = 0x00EE0086;
inline constexpr uint32_t kSrcAnd = 0x008800C6;
inline constexpr uint32_t kSrcInvert = 0x00660046;
inline constexpr uint32_t kSrcErase = 0x00440328;
inline constexpr uint32_t kNotSrcCopy = 0x00330008;
inline constexpr uint32_t kNotSrcErase = 0x001100A6;
inline constexpr uint32_t kMergeCopy = 0x00C000CA;
inline constexpr uint32_t kMergePaint = 0x00BB0226;
inline constexpr uint32_t kPatCopy = 0x00F00021;
inline constexpr uint32_t kPatPaint = 0x00FB0A09;
inline constexpr uint32_t kPatInvert = 0x005A0049;
inline constexpr uint32_t kDstInvert = 0x00550009;
inline constexpr uint32_t kBlackness = 0x00000042;
inline constexpr uint32_t kWhiteness = 0x00FF0062;

constexpr uint8_t ropIndex(uint32_t rop) {
  return uint8_t(rop >> 16);
}
constexpr bool ropUsesSource(uint8_t i) {
  return ((i >> 2) & 0x33) != (i & 0x33);
}
constexpr bool ropUsesPattern(uint8_t i) {
  return (i >> 4) != (i & 0x0F);
}
constexpr bool ropUsesDest(uint8_t i) {
  return ((i >> 1) & 0x55) != (i & 0x55);
}

// The result of index `i` on three words, evaluated bit by bit from the truth
// table. Slow; the reference the fast kernels are checked against.
uint32_t ropEvaluate(uint8_t i, uint32_t pattern, uint32_t source, uint32_t dest);

// A row kernel: dest[k] = op(pattern, source[k], dest[k]) for k < n. The
// pattern is `patternRow[k]`, or `solidPattern` for every pixel when the
// kernel was chosen for a solid pattern. Arrays an operation does not use may
// be null.
using RopRow = void (*)(uint32_t* dest, const uint32_t* source, const uint32_t* patternRow,
                        uint32_t solidPattern, size_t n);

// Each operation is (dest & A(P, S)) ^ B(P, S) with A and B functions of the
// pattern and source alone, so one generated kernel per index does a few whole
// word operations per pixel.
RopRow ropKernel(uint8_t i, bool solidPattern);

// Binary raster operation (mix mode 1..16) as the ternary index that a
// pattern fill with it performs.
uint8_t rop2Index(int mixMode);
// The binary operation on pen (pattern) and destination words.
uint32_t rop2Apply(int mixMode, uint32_t pen, uint32_t dest);

}  // namespace zel::gdi
