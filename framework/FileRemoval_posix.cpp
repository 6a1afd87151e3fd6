#include "framework/FileRemoval.h"

#include <cstdio>

bool RemoveFile(const std::string &path) { return std::remove(path.c_str()) == 0; }
