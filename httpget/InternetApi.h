#pragma once

#include <cstdint>

/// The WinINet calls that a transfer makes, with WinINet's own parameters, so that a test can
/// stand in for the network. The product implementation passes each call straight to WinINet.
/// A handle is WinINet's HINTERNET; nullptr is an empty handle.
class TInternetApi {
public:
  using THandle = void *;

  static constexpr uint32_t kOpenTypePreconfig = 0;    // INTERNET_OPEN_TYPE_PRECONFIG
  static constexpr uint16_t kDefaultHttpPort = 80;     // INTERNET_DEFAULT_HTTP_PORT
  static constexpr uint16_t kDefaultHttpsPort = 443;   // INTERNET_DEFAULT_HTTPS_PORT
  static constexpr uint32_t kServiceHttp = 3;          // INTERNET_SERVICE_HTTP
  static constexpr uint32_t kFlagReload = 0x80000000u; // INTERNET_FLAG_RELOAD
  static constexpr uint32_t kFlagSecure = 0x00800000u; // INTERNET_FLAG_SECURE
  static constexpr uint32_t kQueryContentLength = 5;   // HTTP_QUERY_CONTENT_LENGTH
  static constexpr uint32_t kQueryStatusCode = 19;     // HTTP_QUERY_STATUS_CODE
  static constexpr uint32_t kQueryDate = 9;            // HTTP_QUERY_DATE
  static constexpr uint32_t kQueryLastModified = 11;   // HTTP_QUERY_LAST_MODIFIED
  static constexpr uint32_t kQueryAcceptRanges = 42;   // HTTP_QUERY_ACCEPT_RANGES
  static constexpr uint32_t kQueryAge = 48;            // HTTP_QUERY_AGE
  static constexpr uint32_t kQueryContentRange = 53;   // HTTP_QUERY_CONTENT_RANGE
  static constexpr uint32_t kQueryETag = 54;           // HTTP_QUERY_ETAG
  static constexpr uint32_t kOptionUrl = 34;           // INTERNET_OPTION_URL
  static constexpr uint32_t kOptionConnectTimeout = 2; // INTERNET_OPTION_CONNECT_TIMEOUT
  static constexpr uint32_t kOptionSendTimeout = 5;    // INTERNET_OPTION_SEND_TIMEOUT
  static constexpr uint32_t kOptionReceiveTimeout = 6; // INTERNET_OPTION_RECEIVE_TIMEOUT

  /// What a transfer is told while WinINet works for it. Its address is the context of the
  /// request it opens; WinINet calls it on the thread that made the call.
  class TStatusSink {
  public:
    /// The request is being redirected to url.
    virtual void Redirected(const char *url) = 0;

  protected:
    ~TStatusSink() = default;
  };

  /// InternetOpenA
  virtual THandle Open(const char *agent, uint32_t accessType, const char *proxy,
                       const char *proxyBypass, uint32_t flags) = 0;
  /// InternetConnectA
  virtual THandle Connect(THandle session, const char *serverName, uint16_t port,
                          const char *userName, const char *password, uint32_t service,
                          uint32_t flags, uintptr_t context) = 0;
  /// HttpOpenRequestA
  virtual THandle OpenRequest(THandle connection, const char *verb, const char *objectName,
                              const char *version, const char *referrer, const char **acceptTypes,
                              uint32_t flags, uintptr_t context) = 0;
  /// HttpSendRequestA
  virtual bool SendRequest(THandle request, const char *headers, uint32_t headersLength,
                           const void *optional, uint32_t optionalLength) = 0;
  /// HttpQueryInfoA
  virtual bool QueryInfo(THandle request, uint32_t infoLevel, void *buffer, uint32_t *bufferLength,
                         uint32_t *index) = 0;
  /// InternetQueryOptionA
  virtual bool QueryOption(THandle handle, uint32_t option, void *buffer,
                           uint32_t *bufferLength) = 0;
  /// InternetSetOptionA
  virtual bool SetOption(THandle handle, uint32_t option, const void *buffer, uint32_t length) = 0;
  /// InternetSetStatusCallbackA, with a callback that tells the TStatusSink whose address is a
  /// request's context of that request's redirects.
  virtual bool SetStatusCallback(THandle handle) = 0;
  /// InternetReadFile
  virtual bool ReadFile(THandle file, void *buffer, uint32_t numberOfBytesToRead,
                        uint32_t *numberOfBytesRead) = 0;
  /// InternetCloseHandle
  virtual void CloseHandle(THandle handle) = 0;

protected:
  // Not virtual, so that the product's implementation can be a static that is never destroyed:
  // a worker that an abort has left blocked may still call it while the program ends.
  ~TInternetApi() = default;
};
