#include "versinfo/VersionBlock.h"

#include <cstdint>

namespace {

// The 32-bit layout: wLength, wValueLength, wType, then a UTF-16 key. The 16-bit layout has no
// wType and an 8-bit key. Both count wLength in bytes and start every node, value and child on
// a 4-byte boundary from the start of the block.
struct TLayout {
  size_t HeaderSize;
  size_t CharSize;
};
constexpr TLayout k32BitLayout{6, 2};
constexpr TLayout k16BitLayout{4, 1};

// Four levels occur (VS_VERSION_INFO, StringFileInfo, StringTable, String); deeper nesting is
// refused rather than followed.
constexpr int kMaxDepth = 8;
constexpr char kRootKey[] = "VS_VERSION_INFO";
constexpr size_t kLayoutByte = 4;      // wType's low byte, or a 16-bit key's first character
constexpr size_t kConversionSlack = 4; // the room beyond twice the root holds "FE2X"

size_t Aligned(size_t offset) { return (offset + 3) & ~size_t{3}; }

class TBlockCheck {
public:
  TBlockCheck(const unsigned char *bytes, TLayout layout) : fBytes(bytes), fLayout(layout) {}

  // The node at [start, end), its end already known to lie inside the block.
  bool IsSoundNode(size_t start, size_t end, int depth) const {
    if (depth > kMaxDepth)
      return false;
    const size_t keyEnd = KeyEnd(start + fLayout.HeaderSize, end);
    if (keyEnd == 0)
      return false;
    size_t next = keyEnd;
    if (const size_t valueSize = ValueSize(start); valueSize > 0) {
      const size_t valueStart = Aligned(keyEnd);
      if (valueStart > end || valueSize > end - valueStart)
        return false;
      next = valueStart + valueSize;
    }
    for (size_t child = Aligned(next); child < end;) {
      if (end - child < fLayout.HeaderSize)
        return false;
      const size_t length = Word(child);
      if (length < fLayout.HeaderSize || length > end - child ||
          !IsSoundNode(child, child + length, depth + 1))
        return false;
      child = Aligned(child + length);
    }
    return true;
  }

  // Whether the root's key, at its place in this layout, reads VS_VERSION_INFO.
  bool HasRootKey(size_t size) const {
    const size_t chars = sizeof kRootKey;
    if (size < fLayout.HeaderSize + chars * fLayout.CharSize)
      return false;
    for (size_t i = 0; i < chars; ++i)
      if (Char(fLayout.HeaderSize + i * fLayout.CharSize) !=
          static_cast<unsigned char>(kRootKey[i]))
        return false;
    return true;
  }

  uint16_t Word(size_t offset) const {
    return static_cast<uint16_t>(fBytes[offset] | fBytes[offset + 1] << 8);
  }

private:
  // The offset just past the key's terminator, or 0 when no terminator lies before end.
  size_t KeyEnd(size_t key, size_t end) const {
    for (size_t at = key; end - at >= fLayout.CharSize; at += fLayout.CharSize)
      if (Char(at) == 0)
        return at + fLayout.CharSize;
    return 0;
  }

  uint32_t Char(size_t offset) const {
    return fLayout.CharSize == 2 ? Word(offset) : fBytes[offset];
  }

  // Text values count characters (with or without their terminator, as compilers differ),
  // binary ones bytes. Any type but binary is taken as text, the larger extent.
  size_t ValueSize(size_t node) const {
    const size_t valueLength = Word(node + 2);
    const bool binary = fLayout.CharSize == 1 || Word(node + 4) == 0;
    return binary ? valueLength : valueLength * fLayout.CharSize;
  }

  const unsigned char *fBytes;
  TLayout fLayout;
};

} // namespace

bool IsSoundVersionBlock(const void *block, size_t size) {
  const auto *bytes = static_cast<const unsigned char *>(block);
  if (size < kLayoutByte + 1)
    return false;
  // The platform takes a block as 16-bit when the byte where a 32-bit block keeps its type
  // reads as a character, and walks it in that layout whatever its key says.
  const TLayout layout = bytes[kLayoutByte] >= ' ' ? k16BitLayout : k32BitLayout;
  const TBlockCheck check(bytes, layout);
  if (!check.HasRootKey(size))
    return false;
  // A text query converts into the room after the root, up to the root's length again and four
  // bytes more: the block must hold that room, or the platform writes past it.
  const size_t rootLength = check.Word(0);
  return rootLength >= layout.HeaderSize && 2 * rootLength + kConversionSlack <= size &&
         check.IsSoundNode(0, rootLength, 1);
}
