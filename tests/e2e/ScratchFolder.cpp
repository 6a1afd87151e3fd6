#include "tests/e2e/ScratchFolder.h"

#include <windows.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

std::string ReadWholeFile(const std::string &path) {
  std::ifstream file(path, std::ios::binary);
  if (!file)
    throw std::runtime_error("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TScratchFolder::TScratchFolder() {
  char temp[MAX_PATH];
  if (!GetTempPathA(MAX_PATH, temp))
    throw std::runtime_error("no temporary folder");
  // The process id and a counter keep folders of runs side by side apart.
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string candidate = std::string(temp) + "e2e-" +
                                  std::to_string(GetCurrentProcessId()) + "-" +
                                  std::to_string(++counter);
    if (CreateDirectoryA(candidate.c_str(), nullptr)) {
      fPath = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot make a scratch folder in " + std::string(temp));
}

TScratchFolder::~TScratchFolder() {
  WIN32_FIND_DATAA entry;
  const HANDLE search = FindFirstFileA(PathOf("*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        DeleteFileA(PathOf(entry.cFileName).c_str());
    } while (FindNextFileA(search, &entry));
    FindClose(search);
  }
  RemoveDirectoryA(fPath.c_str());
}

std::string TScratchFolder::PathOf(const std::string &name) const { return fPath + "\\" + name; }

void TScratchFolder::WriteFile(const std::string &name, const std::string &text) const {
  std::ofstream file(PathOf(name), std::ios::binary);
  file << text;
  if (!file.flush())
    throw std::runtime_error("cannot write " + PathOf(name));
}

void TScratchFolder::CopyIn(const std::string &source, const std::string &name) const {
  if (!CopyFileA(source.c_str(), PathOf(name).c_str(), TRUE))
    throw std::runtime_error("cannot copy " + source + " to " + PathOf(name));
}

bool TScratchFolder::Exists(const std::string &name) const {
  return GetFileAttributesA(PathOf(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string TScratchFolder::ReadFile(const std::string &name) const {
  return ReadWholeFile(PathOf(name));
}
