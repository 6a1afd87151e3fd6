#include "update/download/DownloadTarget.h"

// Folders that refuse the user's files are a Windows matter here: the download lies beside the
// program.
std::string DownloadTargetFor(const std::string &besideProgram) { return besideProgram; }
