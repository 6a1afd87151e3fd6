// The forms in which the publisher's key and its signatures arrive, and the form the platform
// verifies.

#include "update/verify/SignatureFormats.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

namespace {

// Bytes written as pairs of hexadecimal digits, blanks between them ignored.
std::string Bytes(const std::string &hex) {
  std::string bytes;
  std::string digits;
  for (const char c : hex)
    if (c != ' ')
      digits += c;
  for (size_t i = 0; i + 1 < digits.size(); i += 2)
    bytes.push_back(static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16)));
  return bytes;
}

TEST(SignatureFormats, EcdsaSignatureBecomesRAndSPaddedToTheCurve) {
  const std::string wide(64, '\x11');
  const struct {
    const char *Name;
    std::string Der;
    size_t FieldSize;
    std::optional<std::string> Rs;
  } rows[] = {
      {"short integers padded", Bytes("30 06 02 01 01 02 01 02"), 2, Bytes("0001 0002")},
      {"sign byte taken off", Bytes("30 08 02 02 00 80 02 02 00 FF"), 2, Bytes("0080 00FF")},
      {"integer of the curve's size and its sign byte", Bytes("30 09 02 03 00 FF FF 02 02 01 02"),
       2, Bytes("FFFF 0102")},
      {"more zero bytes than needed", Bytes("30 08 02 03 00 00 05 02 01 06"), 2,
       Bytes("0005 0006")},
      {"long-form length", Bytes("30 81 84 02 40") + wide + Bytes("02 40") + wide, 64, wide + wide},
      {"s longer than the curve", Bytes("30 08 02 01 01 02 03 01 02 03"), 2, std::nullopt},
      {"r longer than the curve", Bytes("30 08 02 03 01 02 03 02 01 01"), 2, std::nullopt},
      {"negative integer", Bytes("30 06 02 01 80 02 01 01"), 2, std::nullopt},
      {"empty integer", Bytes("30 05 02 00 02 01 01"), 2, std::nullopt},
      {"a byte after the sequence", Bytes("30 06 02 01 01 02 01 02 00"), 2, std::nullopt},
      {"a third integer", Bytes("30 09 02 01 01 02 01 02 02 01 03"), 2, std::nullopt},
      {"one integer only", Bytes("30 03 02 01 01"), 2, std::nullopt},
      {"set instead of sequence", Bytes("31 06 02 01 01 02 01 02"), 2, std::nullopt},
      {"bit string instead of integer", Bytes("30 06 03 01 01 02 01 02"), 2, std::nullopt},
      {"length beyond the bytes", Bytes("30 07 02 01 01 02 01 02"), 2, std::nullopt},
      {"integer beyond its sequence", Bytes("30 05 02 01 01 02 02 02 00"), 2, std::nullopt},
      {"long form for a short length", Bytes("30 81 06 02 01 01 02 01 02"), 2, std::nullopt},
      {"indefinite length", Bytes("30 80 02 01 01 02 01 02 00 00"), 2, std::nullopt},
      {"nothing", "", 2, std::nullopt},
  };
  for (const auto &row : rows)
    EXPECT_EQ(EcdsaSignatureToRs(row.Der, row.FieldSize), row.Rs) << row.Name;
}

TEST(SignatureFormats, Base64IsReadOnlyInItsStrictForm) {
  const std::pair<const char *, std::string> read[] = {
      {"", ""}, {"TWFu", "Man"}, {"TWE=", "Ma"}, {"TQ==", "M"}, {"+/+/", Bytes("FBFFBF")}};
  for (const auto &[text, bytes] : read)
    EXPECT_EQ(DecodeBase64(text), bytes) << text;
  for (const char *text :
       {"TQ", "TWFuTQ=", "TR==", "TWF=", "T=Fu", "TQ==TWFu", "TW u", "-_AA", "====", "TWFu\n"})
    EXPECT_EQ(DecodeBase64(text), std::nullopt) << text;
}

TEST(SignatureFormats, AKeyIsOneSequenceWithNothingAfterIt) {
  EXPECT_TRUE(IsOneDerSequence(Bytes("30 00")));
  EXPECT_TRUE(IsOneDerSequence(Bytes("30 82 01 00") + std::string(256, '\0')));
  EXPECT_FALSE(IsOneDerSequence(Bytes("30 00 00")));
  EXPECT_FALSE(IsOneDerSequence(Bytes("31 00")));
  EXPECT_FALSE(IsOneDerSequence(Bytes("30 82 00 FF") + std::string(255, '\0')));
  EXPECT_FALSE(IsOneDerSequence(Bytes("30 83 00 01 00") + std::string(256, '\0')));
}

} // namespace
