#include "httpget/UrlSplit.h"

#include <gtest/gtest.h>

namespace {

void ExpectSplit(const std::string &url, const std::string &host, const std::string &object) {
  const TUrlParts parts = SplitUrl(url);
  EXPECT_EQ(parts.HostName, host) << url;
  EXPECT_EQ(parts.ObjectName, object) << url;
}

TEST(UrlSplit, DropsTheHttpSchemeInAnyLetterCase) {
  ExpectSplit("http://example.com/v.txt", "example.com", "/v.txt");
  ExpectSplit("HTTP://Example.COM/V.txt", "Example.COM", "/V.txt");
  ExpectSplit("hTtP://h/", "h", "/");
}

TEST(UrlSplit, KeepsEverythingAfterTheFirstSlashUnchanged) {
  ExpectSplit("http://h/a/b?x=1&y=http://z/", "h", "/a/b?x=1&y=http://z/");
  ExpectSplit("h/a", "h", "/a");
}

TEST(UrlSplit, KeepsOtherSchemesPortsAndUserInformationInTheHostName) {
  ExpectSplit("https://h/a", "https:", "//h/a");
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
