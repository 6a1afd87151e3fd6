#include "httpget/UrlSplit.h"

#include <gtest/gtest.h>

namespace {

void ExpectSplit(const std::string &url, const std::string &host, const std::string &object,
                 bool secure = false) {
  const TUrlParts parts = SplitUrl(url);
  EXPECT_EQ(parts.HostName, host) << url;
  EXPECT_EQ(parts.ObjectName, object) << url;
  EXPECT_EQ(parts.Secure, secure) << url;
}

TEST(UrlSplit, DropsTheHttpSchemeInAnyLetterCase) {
  ExpectSplit("http://example.com/v.txt", "example.com", "/v.txt");
  ExpectSplit("HTTP://Example.COM/V.txt", "Example.COM", "/V.txt");
  ExpectSplit("hTtP://h/", "h", "/");
}

TEST(UrlSplit, DropsTheHttpsSchemeInAnyLetterCaseAndMarksThePartsSecure) {
  ExpectSplit("https://example.com/v.txt", "example.com", "/v.txt", true);
  ExpectSplit("HTTPS://Example.COM/V.txt", "Example.COM", "/V.txt", true);
  ExpectSplit("hTtPs://h:8443/a?b=https://c/", "h:8443", "/a?b=https://c/", true);
  ExpectSplit("https://h", "", "h", true);
  ExpectSplit("https://", "", "", true);
  ExpectSplit("https:/h/a", "https:", "/h/a");
  ExpectSplit("httpss://h/a", "httpss:", "//h/a");
  ExpectSplit("x/https://h/", "x", "/https://h/");
}

TEST(UrlSplit, KeepsEverythingAfterTheFirstSlashUnchanged) {
  ExpectSplit("http://h/a/b?x=1&y=http://z/", "h", "/a/b?x=1&y=http://z/");
  ExpectSplit("h/a", "h", "/a");
}

TEST(UrlSplit, KeepsOtherSchemesPortsAndUserInformationInTheHostName) {
  ExpectSplit("shttp://h/a", "shttp:", "//h/a");
  ExpectSplit("http://h:8080/a", "h:8080", "/a");
  ExpectSplit("http://u:p@h/a", "u:p@h", "/a");
  ExpectSplit("ftp://h/a", "ftp:", "//h/a");
  ExpectSplit("x/http://h/", "x", "/http://h/");
}

TEST(UrlSplit, WithoutASlashTheHostNameIsEmpty) {
  ExpectSplit("http://h", "", "h");
  ExpectSplit("h", "", "h");
  ExpectSplit("", "", "");
  ExpectSplit("http://", "", "");
  ExpectSplit("http:/", "http:", "/");
}

} // namespace
