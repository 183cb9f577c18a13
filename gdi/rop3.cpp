#include "gdi/rop3.h"

#include <emmintrin.h>

#include <array>
#include <cstring>
#include <utility>

namespace zel::gdi {
namespace {

// A function of two variables given by its 4-bit truth table, indexed by
// pattern bit << 1 | source bit.
template <unsigned T>
inline uint32_t fn2(uint32_t p, uint32_t s) {
  if constexpr (T == 0) return 0;
  if constexpr (T == 1) return ~(p | s);
  if constexpr (T == 2) return ~p & s;
  if constexpr (T == 3) return ~p;
  if constexpr (T == 4) return p & ~s;
  if constexpr (T == 5) return ~s;
  if constexpr (T == 6) return p ^ s;
  if constexpr (T == 7) return ~(p & s);
  if constexpr (T == 8) return p & s;
  if constexpr (T == 9) return ~(p ^ s);
  if constexpr (T == 10) return s;
  if constexpr (T == 11) return ~p | s;
  if constexpr (T == 12) return p;
  if constexpr (T == 13) return p | ~s;
  if constexpr (T == 14) return p | s;
  if constexpr (T == 15) return ~0u;
}

constexpr unsigned halfTable(unsigned index, unsigned destBit) {
  unsigned t = 0;
  for (unsigned j = 0; j < 4; ++j)
    t |= ((index >> (2 * j + destBit)) & 1u) << j;
  return t;
}
constexpr bool usesP(unsigned t) {
  return (t & 3u) != (t >> 2);
}
constexpr bool usesS(unsigned t) {
  return (t & 5u) != ((t >> 1) & 5u);
}

// Fills n words; long runs bypass the cache, as memset does, so that a full
// screen fill does not first read every line it overwrites.
void fillWords(uint32_t* d, uint32_t v, size_t n) {
  size_t k = 0;
  if (n * 4 >= (size_t(1) << 18)) {
    while (k < n && (reinterpret_cast<uintptr_t>(d + k) & 15) != 0)
      d[k++] = v;
    const __m128i vv = _mm_set1_epi32(int(v));
    for (; k + 4 <= n; k += 4)
      _mm_stream_si128(reinterpret_cast<__m128i*>(d + k), vv);
    _mm_sfence();
  }
  for (; k < n; ++k)
    d[k] = v;
}

template <unsigned I, bool kSolid>
void ropRow(uint32_t* d, const uint32_t* s, const uint32_t* p, uint32_t solid, size_t n) {
  constexpr unsigned f0 = halfTable(I, 0), f1 = halfTable(I, 1);
  constexpr unsigned A = f0 ^ f1, B = f0;
  constexpr bool needP = usesP(A) || usesP(B);
  constexpr bool needS = usesS(A) || usesS(B);
  if constexpr (I == 0xCC) {
    std::memmove(d, s, n * 4);
  } else if constexpr (A == 0 && !needS && (kSolid || !needP)) {
    // Constant result: black, white or a solid pattern.
    fillWords(d, fn2<B>(solid, 0), n);
  } else {
    for (size_t k = 0; k < n; ++k) {
      uint32_t pv = 0, sv = 0;
      if constexpr (needP) pv = kSolid ? solid : p[k];
      if constexpr (needS) sv = s[k];
      if constexpr (A == 0) {
        d[k] = fn2<B>(pv, sv);
      } else if constexpr (A == 15) {
        d[k] = d[k] ^ fn2<B>(pv, sv);
      } else {
        d[k] = (d[k] & fn2<A>(pv, sv)) ^ fn2<B>(pv, sv);
      }
    }
  }
}

template <bool kSolid, size_t... I>
constexpr std::array<RopRow, 256> makeTable(std::index_sequence<I...>) {
  return {&ropRow<unsigned(I), kSolid>...};
}

constexpr auto kRowKernels = makeTable<false>(std::make_index_sequence<256>());
constexpr auto kSolidKernels = makeTable<true>(std::make_index_sequence<256>());

}  // namespace

uint32_t ropEvaluate(uint8_t i, uint32_t pattern, uint32_t source, uint32_t dest) {
  uint32_t out = 0;
  for (int b = 0; b < 32; ++b) {
    const unsigned idx =
        ((pattern >> b) & 1u) << 2 | ((source >> b) & 1u) << 1 | ((dest >> b) & 1u);
    out |= uint32_t((i >> idx) & 1u) << b;
  }
  return out;
}

RopRow ropKernel(uint8_t i, bool solidPattern) {
  return solidPattern ? kSolidKernels[i] : kRowKernels[i];
}

uint8_t rop2Index(int mixMode) {
  // Mix mode m (1..16) is the binary function whose truth table is m - 1,
  // bit (pen << 1 | dest) giving the result; as a ternary index the source
  // is ignored.
  if (mixMode < 1 || mixMode > 16) mixMode = 13;
  const unsigned t = unsigned(mixMode - 1);
  unsigned idx = 0;
  for (unsigned k = 0; k < 8; ++k) {
    const unsigned pen = (k >> 2) & 1u, dest = k & 1u;
    idx |= ((t >> (pen << 1 | dest)) & 1u) << k;
  }
  return uint8_t(idx);
}

uint32_t rop2Apply(int mixMode, uint32_t pen, uint32_t dest) {
  return ropEvaluate(rop2Index(mixMode), pen, 0, dest);
}

}  // namespace zel::gdi
