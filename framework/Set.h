#pragma once

#include <cstdint>

/// A set of the elements of an enumeration: element n is bit n, counted from the least
/// significant bit.
template <class E> class TSet {
public:
  constexpr TSet() = default;
  constexpr bool Contains(E e) const { return (fBits & Bit(e)) != 0; }
  constexpr void Include(E e) { fBits |= Bit(e); }
  constexpr void Exclude(E e) { fBits &= ~Bit(e); }
  /// The elements as bits, element n as bit n.
  constexpr uint32_t Bits() const { return fBits; }
  friend constexpr bool operator==(TSet a, TSet b) { return a.fBits == b.fBits; }
  friend constexpr bool operator!=(TSet a, TSet b) { return a.fBits != b.fBits; }

private:
  static constexpr uint32_t Bit(E e) { return uint32_t{1} << static_cast<unsigned>(e); }
  uint32_t fBits = 0;
};
