#pragma once

#include "framework/win32/Handles_win.h"

#include <windows.h>

#include <wininet.h>

#include <string>

struct TCloseInternetHandle {
  void operator()(HINTERNET handle) const { InternetCloseHandle(handle); }
};
using TInternetHandleOwner = TOwnedHandle<HINTERNET, TCloseInternetHandle>;

/// A GET of path from server as the transfer worker sends it, with nothing around it: HTTP/1.0,
/// never answered from the cache, over https when secure. Owns its WinINet handles.
class TBareRequest {
public:
  /// Sends the request and waits for the answer's headers.
  TBareRequest(const std::string &server, const std::string &path, bool secure);

  /// Whether the server answered with a status of 2xx.
  bool Succeeded() const { return fSucceeded; }
  HINTERNET Get() const { return fRequest.Get(); }

private:
  TInternetHandleOwner fSession, fConnection, fRequest;
  bool fSucceeded = false;
};
