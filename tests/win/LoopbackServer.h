#pragma once

#include <winsock2.h>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

/// One scripted answer: the raw bytes sent back (status line, headers, body), and how they go.
/// A body shorter than its Content-Length is simply cut off by the close that follows.
struct TScriptedReply {
  std::string Bytes;
  /// After this many bytes the reply waits for Release (or for the server to stop);
  /// npos: it never stalls.
  size_t StallAt = std::string::npos;
  /// Sends the bytes in pieces of this size, one send per piece; 0: in one send.
  size_t PieceSize = 0;
  /// Waits this long before each piece but the first, as a slow line would.
  unsigned PieceDelayMs = 0;
};

/// "HTTP/1.0 <status>" with the given header lines and the body, as raw bytes.
std::string RawReply(const std::string &status, const std::vector<std::string> &headers,
                     const std::string &body);

/// An HTTP server for one test, listening on a loopback address on a thread of its own. It
/// answers the n-th connection with the n-th reply (the last one again once the script has run
/// out) after reading the whole request, then closes that connection. Stops in its destructor.
class TLoopbackServer {
public:
  /// Listens on address:port; throws std::runtime_error when it cannot.
  TLoopbackServer(const std::string &address, std::vector<TScriptedReply> replies,
                  uint16_t port = 80);
  ~TLoopbackServer();
  TLoopbackServer(const TLoopbackServer &) = delete;
  TLoopbackServer &operator=(const TLoopbackServer &) = delete;

  /// The raw requests received so far: request line, headers, and as much body as their
  /// Content-Length announced.
  std::vector<std::string> Requests() const;
  /// For each request, the bytes of its reply that the system took to send before the peer went:
  /// what the peer read, and what the buffers on the way held.
  std::vector<size_t> Sent() const;
  /// Waits until a reply has stalled; false if none does within a generous bound.
  bool WaitUntilStalled();
  /// Lets a stalled reply send the rest of its bytes.
  void Release();

private:
  void Serve();
  void Answer(SOCKET connection, const TScriptedReply &reply);
  std::string ReadRequest(SOCKET connection);
  /// Sends bytes in pieces as reply says; false once the peer has gone.
  bool Send(SOCKET connection, const std::string &bytes, const TScriptedReply &reply);

  const std::vector<TScriptedReply> fReplies;
  SOCKET fListener = INVALID_SOCKET;
  std::atomic<bool> fStopping{false};

  mutable std::mutex fMutex;
  std::condition_variable fChanged;
  std::vector<std::string> fRequests;
  std::vector<size_t> fSent;
  bool fStalled = false;
  bool fReleased = false;

  std::thread fThread;
};
