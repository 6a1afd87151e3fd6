// The version file's body: an accepted integer reads back from its decimal text, and the
// canonical text is that decimal. The comparison that decides on an update is a strict total
// order over any three texts.
#include "framework/IntegerSyntax.h"
#include "update/offer/VersionFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Require(bool ok) {
  if (!ok)
    abort();
}

void CheckIntegerText(const std::string &text) {
  int32_t value;
  try {
    value = StrToInt(text);
  } catch (const EConvertError &) {
    return;
  }
  const std::string decimal = std::to_string(value);
  Require(StrToInt(decimal) == value);
  Require(CanonicalVersionText(text) == decimal);
}

void CheckOrder(const std::string &a, const std::string &b, const std::string &c) {
  Require(!OffersUpdate(a, a));
  const bool less = OffersUpdate(a, b), greater = OffersUpdate(b, a), equal = a == b;
  Require(less + greater + equal == 1);
  if (OffersUpdate(a, b) && OffersUpdate(b, c))
    Require(OffersUpdate(a, c));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string input(reinterpret_cast<const char *>(data), size);
  CheckIntegerText(input);
  // Three texts: the input cut at its first two zero bytes, or in thirds without them.
  std::string parts[3];
  size_t part = 0;
  for (const char c : input)
    if (c == '\0' && part < 2)
      ++part;
    else
      parts[part] += c;
  if (part == 0) {
    parts[0] = input.substr(0, size / 3);
    parts[1] = input.substr(size / 3, size / 3);
    parts[2] = input.substr(2 * (size / 3));
  }
  CheckOrder(parts[0], parts[1], parts[2]);
  CheckOrder(parts[1], parts[2], parts[0]);
  CheckOrder(parts[2], parts[0], parts[1]);
  CheckOrder(parts[0], parts[2], parts[1]);
  CheckOrder(parts[1], parts[0], parts[2]);
  CheckOrder(parts[2], parts[1], parts[0]);
  return 0;
}
