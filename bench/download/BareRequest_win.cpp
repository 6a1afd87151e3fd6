#include "bench/download/BareRequest_win.h"

TBareRequest::TBareRequest(const std::string &server, const std::string &path, bool secure)
    : fSession(InternetOpenA("Bench", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)),
      fConnection(
          InternetConnectA(fSession.Get(), server.c_str(),
                           secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT, "",
                           "", INTERNET_SERVICE_HTTP, 0, 0)) {
  const char *acceptTypes[] = {"*/*", nullptr};
  fRequest = TInternetHandleOwner(
      HttpOpenRequestA(fConnection.Get(), "GET", path.c_str(), "HTTP/1.0", "", acceptTypes,
                       INTERNET_FLAG_RELOAD | (secure ? INTERNET_FLAG_SECURE : 0), 0));
  char status[32] = {};
  DWORD statusSize = sizeof status, statusIndex = 0;
  fSucceeded =
      HttpSendRequestA(fRequest.Get(), nullptr, 0, nullptr, 0) &&
      HttpQueryInfoA(fRequest.Get(), HTTP_QUERY_STATUS_CODE, status, &statusSize, &statusIndex) &&
      status[0] == '2';
}
