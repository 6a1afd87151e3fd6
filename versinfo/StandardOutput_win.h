#pragma once

#include <windows.h>

#include <string>

/// The program's standard output for text in any script, given as UTF-8. A console gets it as
/// its own wide text (WriteConsoleW); a pipe or a file gets the UTF-8 bytes, without a
/// byte-order mark, through the C runtime, which writes each "\n" as "\r\n".
class TStandardOutput {
public:
  TStandardOutput();
  void Write(const std::string &text) const;

private:
  HANDLE fHandle;
  bool fConsole;
};
