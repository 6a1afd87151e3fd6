#include "tests/unit/Deltas.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

void Write(const std::filesystem::path &path, const std::string &content) {
  std::ofstream(path, std::ios::binary) << content;
}

} // namespace

std::string DeltaOf(const std::string &oldContent, const std::string &newContent,
                    const std::string &options) {
  std::string folder = (std::filesystem::temp_directory_path() / "delta-XXXXXX").string();
  if (!mkdtemp(folder.data()))
    throw std::runtime_error("cannot create a folder in " + folder);
  const std::filesystem::path old = folder + "/old", made = folder + "/new", delta = folder + "/d";
  Write(old, oldContent);
  Write(made, newContent);
  const std::string command = "zstd -q -19 " + options + " --patch-from=" + old.string() + " " +
                              made.string() + " -o " + delta.string() + " 2>/dev/null";
  const int status = std::system(command.c_str());
  std::ifstream in(delta, std::ios::binary);
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::filesystem::remove_all(folder);
  if (status != 0) // zstd's notes on patch sizes would fill the log; its failures are rare
    throw std::runtime_error("zstd failed: " + command);
  return content;
}
