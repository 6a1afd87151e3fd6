#include "tests/unit/Deltas.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

void WriteFile(const std::filesystem::path &path, const std::string &content) {
  std::ofstream(path, std::ios::binary) << content;
}

std::string ContentOf(const std::filesystem::path &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string Release(int version) {
  std::string program = "MZ";
  for (int line = 0; line < 4000; ++line)
    program += "line " + std::to_string(line % (line % 7 == 0 ? version + 3 : 100000)) + ";";
  return program;
}

std::string DeltaOf(const std::string &oldContent, const std::string &newContent,
                    const std::string &options) {
  std::string folder = (std::filesystem::temp_directory_path() / "delta-XXXXXX").string();
  if (!mkdtemp(folder.data()))
    throw std::runtime_error("cannot create a folder in " + folder);
  const std::filesystem::path old = folder + "/old", made = folder + "/new", delta = folder + "/d";
  WriteFile(old, oldContent);
  WriteFile(made, newContent);
  const std::string command = "zstd -q -19 " + options + " --patch-from=" + old.string() + " " +
                              made.string() + " -o " + delta.string() + " 2>/dev/null";
  const int status = std::system(command.c_str());
  const std::string content = ContentOf(delta);
  std::filesystem::remove_all(folder);
  if (status != 0) // zstd's notes on patch sizes would fill the log; its failures are rare
    throw std::runtime_error("zstd failed: " + command);
  return content;
}
