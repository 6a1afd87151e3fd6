// The platform-free parts of reading a file's version information: decoding the fixed record,
// version numbers, creation dates and checking a version block before it is queried.

#include "framework/IntegerSyntax.h"
#include "versinfo/CreationDate.h"
#include "versinfo/FixedFileVersionInfo.h"
#include "versinfo/VersionBlock.h"
#include "versinfo/VersionDecoding.h"
#include "versinfo/VersionNumberInformation.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

template <class E> TSet<E> SetOf(std::initializer_list<E> elements) {
  TSet<E> set;
  for (const E e : elements)
    set.Include(e);
  return set;
}

TEST(VersionDecoding, DecodesFlagsOperatingSystemsAndFileTypes) {
  const struct {
    uint32_t Bits;
    TFixedFileInfoFlags Flags;
  } flagRows[] = {{0, {}},
                  {0x01, SetOf({ffDebug})},
                  {0x02, SetOf({ffPreRelease})},
                  {0x04, SetOf({ffPatched})},
                  {0x08, SetOf({ffPrivateBuild})},
                  {0x10, SetOf({ffInfoInferred})},
                  {0x20, SetOf({ffSpecialBuild})},
                  {0x3F, SetOf({ffDebug, ffInfoInferred, ffPatched, ffPreRelease, ffPrivateBuild,
                                ffSpecialBuild})},
                  {0xFFFFFFC0u, {}},
                  {0x80000009u, SetOf({ffDebug, ffPrivateBuild})}};
  for (const auto &row : flagRows)
    EXPECT_EQ(DecodeFileFlags(row.Bits).Bits(), row.Flags.Bits()) << std::hex << row.Bits;

  const struct {
    uint32_t FileOS;
    TVersionOperatingSystemFlags Systems;
  } osRows[] = {{0x40004, SetOf({vosNT, vosWindows32})},
                {0x4, SetOf({vosUnknown, vosWindows32})},
                {0, SetOf({vosUnknown})},
                {0x10001, SetOf({vosDOS, vosWindows16})},
                {0x20002, SetOf({vosOS2_16, vosPresentationManager16})},
                {0x30003, SetOf({vosOS2_32, vosPresentationManager32})},
                {0x40000, SetOf({vosNT, vosUnknown})},
                {0x50005, SetOf({vosUnknown})},
                {0x40005, SetOf({vosNT, vosUnknown})},
                {0xFFFF0004u, SetOf({vosUnknown, vosWindows32})}};
  for (const auto &row : osRows)
    EXPECT_EQ(DecodeFileOperatingSystem(row.FileOS).Bits(), row.Systems.Bits())
        << std::hex << row.FileOS;

  const TVersionFileType types[] = {vftUnknown, vftApplication, vftDLL,       vftDriver, vftFont,
                                    vftVXD,     vftUnknown,     vftStaticLib, vftUnknown};
  for (uint32_t fileType = 0; fileType < 9; ++fileType)
    EXPECT_EQ(DecodeFileType(fileType), types[fileType]) << fileType;
  EXPECT_EQ(DecodeFileType(0xFFFFFFFFu), vftUnknown);
}

TEST(VersionDecoding, NamesTranslationsInUpperCaseHex) {
  const struct {
    uint16_t Language, CodePage;
    const char *ID;
  } rows[] = {{0, 0, "040904E4"},          {0x0407, 0x04B0, "040704B0"}, {0x0409, 0, "040904E4"},
              {0, 0x04B0, "040904B0"},     {0xABCD, 0xEF01, "ABCDEF01"}, {1, 2, "00010002"},
              {0xFFFF, 0xFFFF, "FFFFFFFF"}};
  for (const auto &row : rows)
    EXPECT_EQ(TranslationID(row.Language, row.CodePage), row.ID);
}

TEST(VersionNumberInformation, SplitsAndFormatsOnlyOnceValid) {
  TVersionNumberInformation number(0x10001, 0x3000B);
  EXPECT_EQ(number.GetVersionNumberString(), "");
  EXPECT_EQ(number.GetVersionNumber(0), 0);
  number.Assign(true, 0x10001, 0x3000B, "");
  EXPECT_EQ(number.GetVersionNumberString(), "1.1.3.11");
  number.Assign(true, 0x20005, 0x10, "");
  EXPECT_EQ(number.GetVersionNumberString(), "2.5.0.16");
  const uint16_t parts[] = {0, 2, 5, 0, 16, 0}; // indexes -1 to 4
  for (int32_t index = -1; index <= 4; ++index)
    EXPECT_EQ(number.GetVersionNumber(index), parts[index + 1]) << index;
  number.Assign(true, 0xFFFFFFFFu, 0xFFFF0000u, "");
  EXPECT_EQ(number.GetVersionNumberString(), "65535.65535.65535.0");
  number.Assign(true, 0x20005, 0x10, "2.5 beta");
  EXPECT_EQ(number.GetVersionNumberString(), "2.5 beta");
  number.Assign(false, 0x20005, 0x10, "2.5 beta");
  EXPECT_EQ(number.GetVersionNumberString(), "");
  EXPECT_EQ(number.GetVersionNumber(1), 0);
}

TEST(FixedFileVersionInfo, AnswersFromTheRecordOrWithAbsentValues) {
  TFixedFileVersionInfo view(nullptr);
  const TVsFixedFileInfo record{0xFEEF04BD, 0x10000, 0x10002, 0x30004, 5,    6,         0x3F,
                                0x25,       0x40004, 2,       7,       0xFB, 0x75043000};
  for (const TVsFixedFileInfo *shown : {&record, static_cast<const TVsFixedFileInfo *>(nullptr)}) {
    view.SetFixedRecord(shown);
    const bool has = shown != nullptr;
    EXPECT_EQ(view.GetSignature(), has ? 0xFEEF04BDu : 0u);
    EXPECT_EQ(view.GetFileVersionLS(), has ? 0x30004u : 0u);
    EXPECT_EQ(view.GetProductVersionMS(), has ? 5u : 0u);
    EXPECT_EQ(view.GetValidFlags(), has ? DecodeFileFlags(0x3F) : TFixedFileInfoFlags());
    EXPECT_EQ(view.GetFlags(),
              has ? SetOf({ffDebug, ffPatched, ffSpecialBuild}) : TFixedFileInfoFlags());
    EXPECT_EQ(view.GetFileOperatingSystem(),
              has ? SetOf({vosNT, vosWindows32}) : TVersionOperatingSystemFlags());
    EXPECT_EQ(view.GetFileType(), has ? vftDLL : vftUnknown);
    EXPECT_EQ(view.GetFileSubType(), has ? 7u : 0u);
    // 0xFB'75043000 is 1 January 1601 plus a day and six hours.
    EXPECT_DOUBLE_EQ(view.GetCreationDate(), has ? -109204.25 : 0.0);
  }
}

constexpr uint64_t kTicksPerDay = 864000000000;
constexpr uint64_t kTicksPerHour = kTicksPerDay / 24;

TEST(CreationDate, CountsDaysFrom1899AndRefusesYearsAfter9999) {
  const struct {
    uint64_t FileTime;
    double DateTime;
  } rows[] = {{0, -109205.0},
              {9999, -109205.0}, // less than a millisecond
              {12 * kTicksPerHour, -109205.5},
              {kTicksPerDay + 18 * kTicksPerHour, -109204.75},
              {109204 * kTicksPerDay + 18 * kTicksPerHour, -1.75},
              {109205 * kTicksPerDay, 0.0},
              {109205 * kTicksPerDay + 6 * kTicksPerHour, 0.25},
              {109206 * kTicksPerDay, 1.0},
              {109207 * kTicksPerDay, 2.0},
              {116444736000000000, 25569.0}, // 1 January 1970
              {2650467743999999999, 2958465 + 86399999 / 86400000.0},
              {uint64_t{1} << 63, 0.0},
              {~uint64_t{0}, 0.0}};
  for (const auto &row : rows)
    EXPECT_DOUBLE_EQ(FileTimeToDateTime(row.FileTime), row.DateTime) << row.FileTime;
  for (const uint64_t fileTime : {uint64_t{2650467744000000000}, (uint64_t{1} << 63) - 1}) {
    try {
      FileTimeToDateTime(fileTime);
      ADD_FAILURE() << fileTime << " gave a date after the year 9999";
    } catch (const EConvertError &error) {
      EXPECT_STREQ(error.what(), "Invalid argument to date encode");
    }
  }
}

// Version blocks built byte by byte: a node is its header, its key, its value and its children,
// each on a 4-byte boundary; the wide layout has wType and UTF-16 keys, the other neither.
using TBytes = std::string;

TBytes Text(bool wide, const std::string &text) {
  TBytes bytes;
  for (const char c : text + '\0')
    bytes += wide ? TBytes{c, '\0'} : TBytes{c};
  return bytes;
}

void PutWord(TBytes &bytes, size_t at, size_t word) {
  bytes[at] = static_cast<char>(word & 0xFF);
  bytes[at + 1] = static_cast<char>(word >> 8);
}

TBytes Node(bool wide, const std::string &key, const TBytes &value, size_t valueLength,
            const std::vector<TBytes> &children = {}, bool text = false) {
  TBytes node((wide ? 6 : 4), '\0');
  PutWord(node, 2, valueLength);
  if (wide)
    PutWord(node, 4, text);
  node += Text(wide, key);
  const auto append = [&node](const TBytes &part) {
    node.resize((node.size() + 3) & ~size_t{3}, '\0');
    node += part;
  };
  if (!value.empty())
    append(value);
  for (const TBytes &child : children)
    append(child);
  PutWord(node, 0, node.size());
  return node;
}

TBytes WithLength(TBytes node, size_t length) {
  PutWord(node, 0, length);
  return node;
}

TBytes String(bool wide, const std::string &key, const std::string &value, size_t valueLength) {
  return Node(wide, key, Text(wide, value), valueLength, {}, true);
}

// A block holding StringFileInfo > 040904E4 > strings, and VarFileInfo > Translation.
TBytes Block(bool wide, std::vector<TBytes> strings, std::vector<TBytes> more = {}) {
  TVsFixedFileInfo fixed{};
  fixed.dwSignature = 0xFEEF04BD;
  TBytes record(sizeof fixed, '\0');
  std::memcpy(&record[0], &fixed, sizeof fixed);
  more.insert(
      more.begin(),
      {Node(wide, "StringFileInfo", "", 0, {Node(wide, "040904E4", "", 0, strings)}, true),
       Node(wide, "VarFileInfo", "", 0, {Node(wide, "Translation", "\x09\x04\xE4\x04", 4)})});
  return Node(wide, "VS_VERSION_INFO", record, record.size(), more);
}

TBytes Nested(bool wide, int levels) {
  return levels == 0 ? String(wide, "Comments", "deep", 5)
                     : Node(wide, "Level", "", 0, {Nested(wide, levels - 1)});
}

TEST(VersionBlock, AcceptsOnlyNodesThatStayInsideTheirParentsAndTheBlock) {
  const bool W = true, A = false;
  // Text lengths with and without the terminator, and a value ending exactly at its node's end.
  const TBytes wide =
      Block(W, {String(W, "CompanyName", "Acme", 5), String(W, "FileVersion", "1.2", 3)});
  const TBytes ansi =
      Block(A, {String(A, "CompanyName", "Acme", 5), String(A, "FileVersion", "1.2", 3)});
  const TBytes reserved = TBytes(wide.size(), '\0') + "FE2X";
  // A root whose binary value covers it to its end, as a crafted resource's tail would be.
  const TBytes root = Node(W, "VS_VERSION_INFO", TBytes(60, '\x01'), 60);
  TBytes typeAsText = wide;
  typeAsText[4] = 'V'; // wType's low byte: the platform then reads "V" as a 16-bit key
  const struct {
    const char *Name;
    TBytes Bytes;
    size_t Size;
    bool Sound;
  } rows[] = {
      {"wide without room for converted copies", wide, wide.size(), false},
      {"wide with room for converted copies", wide + reserved, wide.size() * 2 + 4, true},
      {"16-bit without that room", ansi, ansi.size(), false},
      {"16-bit with room after it", ansi + reserved, ansi.size() + reserved.size(), true},
      {"root claiming more than its room", root + reserved, root.size() * 2 + 3, false},
      {"root with its room to the byte", root + root + "FE2X", root.size() * 2 + 4, true},
      {"wide root key under a 16-bit type byte", typeAsText, 0, false},
      {"eight levels", Block(W, {}, {Nested(W, 6)}), 0, true},
      {"nine levels", Block(W, {}, {Nested(W, 7)}), 0, false},
      {"16-bit nine levels", Block(A, {}, {Nested(A, 7)}), 0, false},
      {"cut short", wide, wide.size() - 1, false},
      {"16-bit cut short", ansi, ansi.size() - 4, false},
      {"smaller than a header", wide, 5, false},
      {"empty", "", 0, false},
      {"another root key", Node(W, "VS_VERSION_INFX", "", 0), 0, false},
      {"root shorter than its header", WithLength(Node(W, "VS_VERSION_INFO", "", 0), 4), 0, false},
      {"a byte after the last child", WithLength(wide + '\x01', wide.size() + 1), 0, false},
      {"root shorter than its key", WithLength(wide, 36), 0, false},
      {"child past its parent",
       Block(W, {String(W, "CompanyName", "Acme", 5),
                 WithLength(String(W, "FileVersion", "1.2", 4), 44)}),
       0, false},
      {"16-bit child past its parent",
       Block(A, {WithLength(String(A, "CompanyName", "Acme", 5), 24)}), 0, false},
      {"key without terminator",
       Block(W, {String(W, "CompanyName", "Acme", 5),
                 WithLength(Node(W, "FileVersion", "", 0).substr(0, 28), 28)}),
       0, false},
      {"text value past its node", Block(W, {String(W, "CompanyName", "Acme", 6)}), 0, false},
      {"binary value past its node", Block(W, {}, {Node(W, "Translation", "\x09\x04\xE4\x04", 5)}),
       0, false},
      {"16-bit value past its node", Block(A, {String(A, "CompanyName", "Acme", 6)}), 0, false},
      {"child of length 0", Block(W, {WithLength(String(W, "CompanyName", "Acme", 5), 0)}), 0,
       false},
      {"16-bit child of length 0", Block(A, {}, {TBytes(8, '\0')}), 0, false},
  };
  for (const auto &row : rows) {
    // An exactly sized copy, so that the sanitizer reports any read beyond the block; unless a
    // row says otherwise, with the room GetFileVersionInfoA keeps after the resource.
    const size_t size = row.Size ? row.Size : row.Bytes.size() * 2 + 4;
    std::vector<unsigned char> block(row.Bytes.begin(), row.Bytes.end());
    block.resize(size);
    EXPECT_EQ(IsSoundVersionBlock(block.data(), size), row.Sound) << row.Name;
  }
}

} // namespace
