#include "httpget/HttpGet.h"
#include "httpget/WinInetApi_win.h"

THTTPGet::THTTPGet(TComponent *owner) : THTTPGet(owner, WinInetApi()) {}
