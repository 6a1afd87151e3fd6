#include "bench/auto/UpdaterInstall_win.h"

#include "drivers/WholeFile.h"
#include "framework/win32/WideText_win.h"

#include <windows.h>

#include <stdexcept>

void InstallUpdater(const std::string &folder, const std::string &updater,
                    const std::string &program, const std::string &programName,
                    const std::string &settings) {
  if (!CreateDirectoryW(WideFromUtf8(folder).c_str(), nullptr))
    throw std::runtime_error("cannot make " + folder);
  if (!CopyFileW(WideFromUtf8(updater).c_str(), WideFromUtf8(folder + "\\updater.exe").c_str(),
                 TRUE) ||
      !CopyFileW(WideFromUtf8(program).c_str(), WideFromUtf8(folder + "\\" + programName).c_str(),
                 TRUE))
    throw std::runtime_error("cannot install in " + folder);
  WriteWholeFile(folder + "\\updater.ini", "[Updater]\r\n" + settings);
}
