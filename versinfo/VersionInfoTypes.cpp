#include "versinfo/VersionInfoTypes.h"

const char *const kPreDefKeys[kPreDefCount] = {
    "CompanyName",    "FileDescription", "FileVersion",      "InternalName",
    "LegalCopyright", "LegalTrademarks", "OriginalFilename", "ProductName",
    "ProductVersion", "Comments",        "BuildFlags"};
