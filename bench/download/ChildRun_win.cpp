#include "bench/download/ChildRun_win.h"

#include "framework/win32/Handles_win.h"
#include "framework/win32/ModuleFileName_win.h"
#include "framework/win32/WideText_win.h"

#include <windows.h>

#include <sstream>
#include <stdexcept>

std::vector<double> RunChild(const std::string &arguments) {
  SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
  HANDLE readEnd, writeEnd;
  if (!CreatePipe(&readEnd, &writeEnd, &inherited, 0))
    throw std::runtime_error("no pipe");
  const TKernelHandle reader(readEnd);
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  PROCESS_INFORMATION process = {};
  const std::string commandLine = "\"" + ModuleFileName(nullptr) + "\" " + arguments;
  {
    // The child holds the only write end, so that the reads below end when the child does.
    const TKernelHandle writer(writeEnd);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    std::wstring wideCommandLine = WideFromUtf8(commandLine);
    if (!CreateProcessW(nullptr, wideCommandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        nullptr, &startup, &process))
      throw std::runtime_error("cannot start " + commandLine);
  }
  const TKernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
  std::string output;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read != 0)
    output.append(buffer, read);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exitCode = 1;
  GetExitCodeProcess(process.hProcess, &exitCode);
  std::istringstream numbers(output);
  std::vector<double> values;
  for (double value; numbers >> value;)
    values.push_back(value);
  if (exitCode != 0 || values.empty())
    throw std::runtime_error("the run " + arguments + " failed");
  return values;
}
