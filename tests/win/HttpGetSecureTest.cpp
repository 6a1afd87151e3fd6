#include "tests/win/HttpGetFixture.h"

#include <optional>
#include <ostream>

namespace {

// program.bin as the servers serve it: the numbers 1 to 20000, one a line.
std::string NumberLines() {
  std::string text;
  for (int number = 1; number <= 20000; ++number)
    text += std::to_string(number) + '\n';
  return text;
}

struct TSecureCase {
  const char *Name;
  const char *Url;
  bool ToFile;
  std::optional<std::string> Body; // unset: the transfer fails and leaves the file alone
};

// Against the nginx servers that tests/trust/tls-servers starts on 127.0.3.x; their test CA
// is trusted in this Wine prefix only.
const TSecureCase kCases[] = {
    {"GoodCertificateText", "https://127.0.3.1/version.txt", false, "7"},
    {"GoodCertificateFile", "https://127.0.3.1/program.bin", true, NumberLines()},
    {"RedirectToHttps", "https://127.0.3.5/to-https", false, "7"},
    {"PlainHttpServer", "http://127.0.3.6/version.txt", false, "7"},
    {"UnknownCa", "https://127.0.3.2/version.txt", false, std::nullopt},
    {"SelfSigned", "https://127.0.3.7/version.txt", false, std::nullopt},
    {"WrongName", "https://127.0.3.3/version.txt", false, std::nullopt},
    {"Expired", "https://127.0.3.4/program.bin", true, std::nullopt},
    {"RedirectToHttpText", "https://127.0.3.5/to-http", false, std::nullopt},
    {"RedirectToHttpFile", "https://127.0.3.5/to-http", true, std::nullopt},
};

void PrintTo(const TSecureCase &c, std::ostream *out) { *out << c.Url; }

class HttpGetSecure : public HttpGetFixture, public ::testing::WithParamInterface<TSecureCase> {};

TEST_P(HttpGetSecure, TrustsOnlyAGoodCertificateAndStaysOnHttps) {
  const TSecureCase &c = GetParam();
  const std::string oldContent = "the file as it was before the transfer";
  if (c.ToFile) {
    WriteWholeFile(TargetFile, oldContent);
    ASSERT_TRUE(FetchFile(c.Url, true));
  } else {
    ASSERT_TRUE(FetchString(c.Url));
  }

  if (!c.Body) {
    EXPECT_EQ(Log.Errors, std::vector<TObject *>{&Http});
    EXPECT_EQ(Log.Completions(), 1u);
    if (c.ToFile) {
      EXPECT_EQ(ReadWholeFile(TargetFile), oldContent);
    }
  } else if (c.ToFile) {
    ASSERT_EQ(Log.DoneFiles.size(), 1u) << Log.Errors.size() << " errors";
    EXPECT_EQ(Log.DoneFiles[0].FileSize, static_cast<int32_t>(c.Body->size()));
    EXPECT_TRUE(ReadWholeFile(TargetFile) == *c.Body) << "the file differs from the body";
  } else {
    ASSERT_EQ(Log.DoneStrings.size(), 1u) << Log.Errors.size() << " errors";
    EXPECT_EQ(Log.DoneStrings[0].Result, *c.Body);
  }
}

INSTANTIATE_TEST_SUITE_P(Loopback, HttpGetSecure, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<TSecureCase> &info) {
                           return std::string(info.param.Name);
                         });

} // namespace
