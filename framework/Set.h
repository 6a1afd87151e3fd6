#pragma once

#include <cstdint>
#include <initializer_list>

/// A set of the elements of an enumeration: element n is bit n, counted from the least
/// significant bit.
template <class E> class TSet {
public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> elements) {
    for (E e : elements)
      Include(e);
  }
  static constexpr TSet FromBits(uint32_t bits) {
    TSet set;
    set.fBits = bits;
    return set;
  }

  constexpr bool Contains(E e) const { return (fBits & Bit(e)) != 0; }
  constexpr void Include(E e) { fBits |= Bit(e); }
  constexpr void Exclude(E e) { fBits &= ~Bit(e); }
  constexpr bool Empty() const { return fBits == 0; }
  constexpr uint32_t Bits() const { return fBits; }
  constexpr bool operator==(TSet other) const { return fBits == other.fBits; }

private:
  static constexpr uint32_t Bit(E e) { return uint32_t{1} << static_cast<unsigned>(e); }
  uint32_t fBits = 0;
};
