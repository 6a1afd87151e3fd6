#include "tests/win/LoopbackServer.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <utility>

namespace {

// The Content-Length of a request head, 0 when it has none.
size_t ContentLength(std::string head) {
  std::transform(head.begin(), head.end(), head.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const std::string name = "\r\ncontent-length:";
  const size_t at = head.find(name);
  return at == std::string::npos ? 0 : std::strtoul(head.c_str() + at + name.size(), nullptr, 10);
}

} // namespace

std::string RawReply(const std::string &status, const std::vector<std::string> &headers,
                     const std::string &body) {
  std::string reply = "HTTP/1.0 " + status + "\r\n";
  for (const std::string &header : headers)
    reply += header + "\r\n";
  return reply + "\r\n" + body;
}

TLoopbackServer::TLoopbackServer(const std::string &address, std::vector<TScriptedReply> replies,
                                 uint16_t port)
    : fReplies(std::move(replies)) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  fListener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in at = {};
  at.sin_family = AF_INET;
  at.sin_port = htons(port);
  at.sin_addr.s_addr = inet_addr(address.c_str());
  if (fListener == INVALID_SOCKET ||
      bind(fListener, reinterpret_cast<const sockaddr *>(&at), sizeof at) != 0 ||
      listen(fListener, SOMAXCONN) != 0) {
    const int error = WSAGetLastError();
    closesocket(fListener);
    WSACleanup();
    throw std::runtime_error("cannot listen on " + address + ":" + std::to_string(port) +
                             ", error " + std::to_string(error));
  }
  fThread = std::thread([this] { Serve(); });
}

TLoopbackServer::~TLoopbackServer() {
  {
    std::lock_guard<std::mutex> lock(fMutex);
    fStopping = true;
  }
  fChanged.notify_all();
  fThread.join();
  closesocket(fListener);
  WSACleanup();
}

std::vector<std::string> TLoopbackServer::Requests() const {
  std::lock_guard<std::mutex> lock(fMutex);
  return fRequests;
}

std::vector<size_t> TLoopbackServer::Sent() const {
  std::lock_guard<std::mutex> lock(fMutex);
  return fSent;
}

bool TLoopbackServer::WaitUntilStalled() {
  std::unique_lock<std::mutex> lock(fMutex);
  return fChanged.wait_for(lock, std::chrono::seconds(30), [this] { return fStalled; });
}

void TLoopbackServer::Release() {
  {
    std::lock_guard<std::mutex> lock(fMutex);
    fReleased = true;
  }
  fChanged.notify_all();
}

// Accepting waits in short rounds so that the destructor's stop request is seen.
void TLoopbackServer::Serve() {
  size_t served = 0;
  while (!fStopping) {
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(fListener, &ready);
    timeval round = {0, 50000};
    if (select(0, &ready, nullptr, nullptr, &round) <= 0)
      continue;
    const SOCKET connection = accept(fListener, nullptr, nullptr);
    if (connection == INVALID_SOCKET)
      continue;
    Answer(connection, fReplies[std::min(served++, fReplies.size() - 1)]);
    closesocket(connection);
  }
}

void TLoopbackServer::Answer(SOCKET connection, const TScriptedReply &reply) {
  // A client that never finishes its request must not keep the server from stopping.
  const DWORD readTimeoutMs = 10000;
  setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char *>(&readTimeoutMs),
             sizeof readTimeoutMs);
  const std::string request = ReadRequest(connection);
  {
    std::lock_guard<std::mutex> lock(fMutex);
    fRequests.push_back(request);
    fSent.push_back(0);
  }

  const size_t stallAt = std::min(reply.StallAt, reply.Bytes.size());
  if (!Send(connection, reply.Bytes.substr(0, stallAt), reply))
    return;
  if (reply.StallAt != std::string::npos) {
    std::unique_lock<std::mutex> lock(fMutex);
    fStalled = true;
    fChanged.notify_all();
    fChanged.wait(lock, [this] { return fReleased || fStopping; });
    if (!fReleased)
      return;
    lock.unlock();
    if (!Send(connection, reply.Bytes.substr(stallAt), reply))
      return;
  }
  shutdown(connection, SD_SEND);
}

std::string TLoopbackServer::ReadRequest(SOCKET connection) {
  std::string request;
  size_t expected = std::string::npos;
  char buffer[4096];
  while (request.size() < expected) {
    const int received = recv(connection, buffer, sizeof buffer, 0);
    if (received <= 0)
      break;
    request.append(buffer, static_cast<size_t>(received));
    const size_t headEnd = request.find("\r\n\r\n");
    if (expected == std::string::npos && headEnd != std::string::npos)
      expected = headEnd + 4 + ContentLength(request.substr(0, headEnd));
  }
  return request;
}

bool TLoopbackServer::Send(SOCKET connection, const std::string &bytes,
                           const TScriptedReply &reply) {
  const size_t piece = reply.PieceSize ? reply.PieceSize : bytes.size();
  for (size_t at = 0; at < bytes.size(); at += piece) {
    if (at > 0 && reply.PieceDelayMs > 0)
      Sleep(reply.PieceDelayMs);
    const int size = static_cast<int>(std::min(piece, bytes.size() - at));
    if (send(connection, bytes.data() + at, size, 0) != size)
      return false;
    std::lock_guard<std::mutex> lock(fMutex);
    fSent.back() += static_cast<size_t>(size);
  }
  return true;
}
