#pragma once

#include <cstddef>

/// Whether a version-information block, as GetFileVersionInfoW reads it, is sound: its nodes,
/// in either layout (32-bit resources with UTF-16 keys, 16-bit ones with 8-bit keys), each with
/// a length that stays inside its parent and inside the block, a key that ends inside its
/// node, and a value that lies inside it; and room after the root for the platform's
/// converted copies of its texts. A block that is not sound must not be queried.
bool IsSoundVersionBlock(const void *block, size_t size);
