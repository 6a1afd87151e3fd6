// A version-information block from a downloaded program: once judged sound, a walk that
// follows every node by its lengths, as a query does, finds each header, key terminator, value
// and child inside its parent and inside the block, and the block holds the room where a query
// writes its converted texts.
#include "versinfo/VersionBlock.h"

#include <cstdint>
#include <cstdlib>

namespace {

struct TWalk {
  const uint8_t *Data;
  size_t Size, Header, Char; // Header and Char: 6 and 2 for UTF-16 keys, 4 and 1 for 8-bit

  unsigned At(size_t offset) const {
    if (offset >= Size)
      abort();
    return Data[offset];
  }
  unsigned Word(size_t offset) const { return At(offset) | At(offset + 1) << 8; }

  // The node at start, which must end by parentEnd.
  void Node(size_t start, size_t parentEnd) const {
    const size_t length = Word(start), end = start + length;
    if (length < Header || end > parentEnd)
      abort();
    size_t at = start + Header;
    while ((Char == 2 ? Word(at) : At(at)) != 0)
      at += Char;
    at += Char; // past the key's terminator
    const bool text = Char == 2 && Word(start + 4) != 0;
    const size_t value = (at + 3) & ~size_t{3}, valueSize = Word(start + 2) * (text ? 2 : 1);
    if (at > end || (valueSize > 0 && value + valueSize > end))
      abort();
    for (size_t child = (valueSize > 0 ? value + valueSize + 3 : at + 3) & ~size_t{3}; child < end;
         child = (child + Word(child) + 3) & ~size_t{3})
      Node(child, end);
  }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (!IsSoundVersionBlock(data, size))
    return 0;
  // The layout the platform walks: 16-bit when the byte where a 32-bit block keeps its type
  // reads as a character.
  const bool wide = data[4] < ' ';
  const TWalk walk{data, size, wide ? 6u : 4u, wide ? 2u : 1u};
  walk.Node(0, size);
  // A text query converts into the room after the root, up to the root's length again plus 4.
  if (2 * walk.Word(0) + 4 > size)
    abort();
  return 0;
}
