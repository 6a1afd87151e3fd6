#pragma once

#include "httpget/InternetApi.h"

/// The WinINet calls themselves.
TInternetApi &WinInetApi();
