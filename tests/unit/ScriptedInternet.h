#pragma once

#include "httpget/InternetApi.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

/// Stands in for WinINet: answers a transfer from a script and records every call as a line of
/// text, for example
///   Open("Agent", 0, null, null, 0)
///   Connect(session, "host", 80, "user", "password", 3, 0, 0)
///   SetOption(session, 6, 60000)
///   SetStatusCallback(session)
///   OpenRequest(connection, "GET", "/object", "HTTP/1.0", "referrer", ["*/*"], 0x80000000, 0)
///   SendRequest(request, null, 0, null, 0)
///   QueryOption(request, 34, 2085)
///   QueryInfo(request, 5, 1024, 0)
///   ReadFile(request, 1025)
///   CloseHandle(request)
/// Texts are quoted, an absent one is null, a handle is named after the call that returned it,
/// and a request's context that is not 0 reads "sink".
/// Set the script before the transfer starts; it may be changed again between transfers.
class TScriptedInternet : public TInternetApi {
public:
  /// The Content-Length header's text; unset, the response carries no such header.
  std::optional<std::string> ContentLength;
  /// The status code as HttpQueryInfoA gives it in text; empty: no reply came, so its query fails.
  std::string StatusCode = "200";
  /// The reply's other headers by their info level.
  std::map<uint32_t, std::string> Headers;
  /// The URL that INTERNET_OPTION_URL gives; unset, that query fails.
  std::optional<std::string> FinalUrl;
  /// The body, one chunk per read; a chunk longer than the read asks for is served in parts.
  std::deque<std::string> Chunks;
  size_t BytesServed = 0; ///< the body's bytes that reads have handed over, in all transfers
  /// Once the chunks are served, the next read fails instead of ending the body.
  bool ReadFailsAtEnd = false;
  /// A reply of its own to one request.
  struct TReply {
    std::string StatusCode;
    std::optional<std::string> ContentLength;
    std::map<uint32_t, std::string> Headers;
    std::deque<std::string> Chunks;
    bool ReadFailsAtEnd = false;
  };
  /// While any is left, each request sent takes the next of these in place of the reply above.
  std::deque<TReply> Replies;
  /// The addresses that sending the request is redirected to, in order; each is told to the
  /// request's context when a status callback has been set.
  std::vector<std::string> Redirects;

  /// Holds the worker inside the occurrence-th call whose text begins with callPrefix (after
  /// recording it, before answering) until Resume; lets a test act at a precise point.
  void PauseAt(const std::string &callPrefix, int occurrence = 1);
  /// Whether the worker is held.
  bool Paused() const;
  /// Lets a held worker go on; a later pause point is no longer armed.
  void Resume();

  std::vector<std::string> Calls() const;
  /// How many recorded calls begin with prefix.
  int Count(const std::string &prefix) const;

  THandle Open(const char *agent, uint32_t accessType, const char *proxy, const char *proxyBypass,
               uint32_t flags) override;
  THandle Connect(THandle session, const char *serverName, uint16_t port, const char *userName,
                  const char *password, uint32_t service, uint32_t flags,
                  uintptr_t context) override;
  THandle OpenRequest(THandle connection, const char *verb, const char *objectName,
                      const char *version, const char *referrer, const char **acceptTypes,
                      uint32_t flags, uintptr_t context) override;
  bool SendRequest(THandle request, const char *headers, uint32_t headersLength,
                   const void *optional, uint32_t optionalLength) override;
  bool QueryInfo(THandle request, uint32_t infoLevel, void *buffer, uint32_t *bufferLength,
                 uint32_t *index) override;
  bool QueryOption(THandle handle, uint32_t option, void *buffer, uint32_t *bufferLength) override;
  bool SetOption(THandle handle, uint32_t option, const void *buffer, uint32_t length) override;
  bool SetStatusCallback(THandle handle) override;
  bool ReadFile(THandle file, void *buffer, uint32_t numberOfBytesToRead,
                uint32_t *numberOfBytesRead) override;
  void CloseHandle(THandle handle) override;

private:
  void Record(const std::string &call);
  std::string NameOf(THandle handle) const;

  // Distinct addresses that serve as the three handles.
  char fSession = 0, fConnection = 0, fRequest = 0;
  uintptr_t fRequestContext = 0; // worker only
  bool fTellsStatus = false;     // worker only

  mutable std::mutex fMutex;
  std::condition_variable fResumed;
  std::vector<std::string> fCalls;
  std::string fPausePrefix;
  int fPauseCountdown = 0;
  bool fPaused = false;
};
