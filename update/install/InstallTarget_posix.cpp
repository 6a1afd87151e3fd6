#include "update/install/InstallTarget.h"

#include "update/verify/ProgramImage.h"

#include <filesystem>

namespace fs = std::filesystem;

std::string FullPathName(const std::string &path) {
  std::error_code error;
  const fs::path full = fs::absolute(path, error);
  return error ? std::string() : full.lexically_normal().string();
}

bool LiesWithUpdater(const std::string &program, const std::string &updater) {
  const fs::path file = FullPathName(program);
  const fs::path updaterFolder = fs::path(FullPathName(updater)).parent_path();
  std::error_code error;
  if (!EndsWithExe(file.string()) ||
      fs::symlink_status(file, error).type() != fs::file_type::regular)
    return false;
  if (file.parent_path() != updaterFolder && file.parent_path() != updaterFolder.parent_path())
    return false;
  for (fs::path folder = updaterFolder; folder != folder.parent_path();
       folder = folder.parent_path())
    if (fs::symlink_status(folder, error).type() != fs::file_type::directory)
      return false;
  return true;
}
