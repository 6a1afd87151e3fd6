#include "tests/e2e/UpdaterDriver.h"

#include "drivers/WindowFinder.h"

#include <gtest/gtest.h>

std::string NextServerAddress(int block) {
  static int last = 0;
  return "127.0." + std::to_string(block) + "." + std::to_string(++last);
}

std::vector<std::string> UrlSettings(const std::string &address) {
  return {"VersionFile=http://" + address + "/updates/version.txt",
          "DownloadFile=http://" + address + "/updates/new.exe"};
}

std::vector<std::string> UsableSettings(const std::string &address) {
  std::vector<std::string> lines = UrlSettings(address);
  lines.insert(lines.begin(), "AppTitle=Foo");
  return lines;
}

std::string Settings(const std::vector<std::string> &lines) {
  std::string text = "[Updater]\r\n";
  for (const std::string &line : lines)
    text += line + "\r\n";
  return text;
}

HWND WaitForMessageBox(const TUpdaterProcess &updater) {
  return WaitForTopLevelWindow(updater.Id(), IsVisibleDialogBox);
}

void ExpectMessageBox(HWND box, const TMessageBoxView &expected) {
  const TMessageBoxView view = ReadMessageBox(box);
  EXPECT_EQ(view.Caption, expected.Caption);
  EXPECT_EQ(view.Text, expected.Text);
  EXPECT_EQ(view.Buttons, expected.Buttons);
  EXPECT_EQ(view.HasIcon, expected.HasIcon) << "a box captioned \"" << view.Caption << "\"";
}

TMessageBoxView ErrorMessageView(const std::string &text) { return {"Error", text, {"OK"}, true}; }

void ExpectErrorMessage(HWND box, const std::string &text) {
  ExpectMessageBox(box, ErrorMessageView(text));
}
