#include "httpget/WinInetApi_win.h"

#include "framework/win32/WideText_win.h"

#include <windows.h>
#include <wininet.h>

static_assert(TInternetApi::kDefaultHttpsPort == INTERNET_DEFAULT_HTTPS_PORT &&
              TInternetApi::kFlagSecure == INTERNET_FLAG_SECURE &&
              TInternetApi::kOptionUrl == INTERNET_OPTION_URL &&
              TInternetApi::kOptionConnectTimeout == INTERNET_OPTION_CONNECT_TIMEOUT &&
              TInternetApi::kOptionSendTimeout == INTERNET_OPTION_SEND_TIMEOUT &&
              TInternetApi::kOptionReceiveTimeout == INTERNET_OPTION_RECEIVE_TIMEOUT &&
              TInternetApi::kQueryContentLength == HTTP_QUERY_CONTENT_LENGTH &&
              TInternetApi::kQueryStatusCode == HTTP_QUERY_STATUS_CODE &&
              TInternetApi::kQueryDate == HTTP_QUERY_DATE &&
              TInternetApi::kQueryLastModified == HTTP_QUERY_LAST_MODIFIED &&
              TInternetApi::kQueryAcceptRanges == HTTP_QUERY_ACCEPT_RANGES &&
              TInternetApi::kQueryContentRange == HTTP_QUERY_CONTENT_RANGE &&
              TInternetApi::kQueryETag == HTTP_QUERY_ETAG);

namespace {

// The server hears the agent and the address in the system code page, as it always has.
std::string Outgoing(const char *text) { return SystemCodePageFromUtf8(text); }

// A request opened without a context (0) has nobody to tell.
void CALLBACK PassStatusOn(HINTERNET, DWORD_PTR context, DWORD status, LPVOID information, DWORD) {
  if (context && status == INTERNET_STATUS_REDIRECT && information)
    reinterpret_cast<TInternetApi::TStatusSink *>(context)->Redirected(
        static_cast<const char *>(information));
}

class TWinInetApi final : public TInternetApi {
public:
  THandle Open(const char *agent, uint32_t accessType, const char *proxy, const char *proxyBypass,
               uint32_t flags) override {
    const std::string outgoingAgent = agent ? Outgoing(agent) : std::string();
    return InternetOpenA(agent ? outgoingAgent.c_str() : nullptr, accessType, proxy, proxyBypass,
                         flags);
  }
  THandle Connect(THandle session, const char *serverName, uint16_t port, const char *userName,
                  const char *password, uint32_t service, uint32_t flags,
                  uintptr_t context) override {
    return InternetConnectA(session, Outgoing(serverName).c_str(), port, Outgoing(userName).c_str(),
                            Outgoing(password).c_str(), service, flags, context);
  }
  THandle OpenRequest(THandle connection, const char *verb, const char *objectName,
                      const char *version, const char *referrer, const char **acceptTypes,
                      uint32_t flags, uintptr_t context) override {
    return HttpOpenRequestA(connection, verb, Outgoing(objectName).c_str(), version, referrer,
                            acceptTypes, flags, context);
  }
  bool SendRequest(THandle request, const char *headers, uint32_t headersLength,
                   const void *optional, uint32_t optionalLength) override {
    return HttpSendRequestA(request, headers, headersLength, const_cast<void *>(optional),
                            optionalLength);
  }
  bool QueryInfo(THandle request, uint32_t infoLevel, void *buffer, uint32_t *bufferLength,
                 uint32_t *index) override {
    DWORD length = *bufferLength;
    DWORD at = *index;
    const BOOL ok = HttpQueryInfoA(request, infoLevel, buffer, &length, &at);
    *bufferLength = length;
    *index = at;
    return ok;
  }
  bool QueryOption(THandle handle, uint32_t option, void *buffer, uint32_t *bufferLength) override {
    DWORD length = *bufferLength;
    const BOOL ok = InternetQueryOptionA(handle, option, buffer, &length);
    *bufferLength = length;
    return ok;
  }
  bool SetOption(THandle handle, uint32_t option, const void *buffer, uint32_t length) override {
    return InternetSetOptionA(handle, option, const_cast<void *>(buffer), length);
  }
  bool SetStatusCallback(THandle handle) override {
    return InternetSetStatusCallbackA(handle, PassStatusOn) != INTERNET_INVALID_STATUS_CALLBACK;
  }
  bool ReadFile(THandle file, void *buffer, uint32_t numberOfBytesToRead,
                uint32_t *numberOfBytesRead) override {
    DWORD read = 0;
    const BOOL ok = InternetReadFile(file, buffer, numberOfBytesToRead, &read);
    *numberOfBytesRead = read;
    return ok;
  }
  void CloseHandle(THandle handle) override { InternetCloseHandle(handle); }
};

} // namespace

// Trivially destructible, so never destroyed: a worker left blocked by an abort may still
// call it while the program ends.
TInternetApi &WinInetApi() {
  static TWinInetApi api;
  return api;
}
