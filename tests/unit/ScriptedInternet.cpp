#include "tests/unit/ScriptedInternet.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <sstream>
#include <tuple>

namespace {

constexpr auto kPatience = std::chrono::seconds(30);

std::string Quoted(const char *text) { return text ? '"' + std::string(text) + '"' : "null"; }

std::string Hex(uint32_t value) {
  std::ostringstream text;
  text << "0x" << std::hex << value;
  return text.str();
}

// Copies text with its terminating zero the way HttpQueryInfoA does: the length without the
// zero comes back, and a buffer that is too small makes the call fail.
bool Answer(const std::string &text, void *buffer, uint32_t *bufferLength) {
  if (text.size() + 1 > *bufferLength)
    return false;
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  *bufferLength = static_cast<uint32_t>(text.size());
  return true;
}

} // namespace

void TScriptedInternet::PauseAt(const std::string &callPrefix, int occurrence) {
  std::lock_guard<std::mutex> lock(fMutex);
  fPausePrefix = callPrefix;
  fPauseCountdown = occurrence;
}

bool TScriptedInternet::Paused() const {
  std::lock_guard<std::mutex> lock(fMutex);
  return fPaused;
}

void TScriptedInternet::Resume() {
  {
    std::lock_guard<std::mutex> lock(fMutex);
    fPaused = false;
    fPauseCountdown = 0;
  }
  fResumed.notify_all();
}

std::vector<std::string> TScriptedInternet::Calls() const {
  std::lock_guard<std::mutex> lock(fMutex);
  return fCalls;
}

int TScriptedInternet::Count(const std::string &prefix) const {
  std::lock_guard<std::mutex> lock(fMutex);
  return static_cast<int>(std::count_if(fCalls.begin(), fCalls.end(), [&](const std::string &call) {
    return call.compare(0, prefix.size(), prefix) == 0;
  }));
}

// A held worker goes on by itself after 30 s, so that a test that fails cannot hang.
void TScriptedInternet::Record(const std::string &call) {
  std::unique_lock<std::mutex> lock(fMutex);
  fCalls.push_back(call);
  if (fPauseCountdown == 0 || call.compare(0, fPausePrefix.size(), fPausePrefix) != 0 ||
      --fPauseCountdown != 0)
    return;
  fPaused = true;
  fResumed.wait_for(lock, kPatience, [this] { return !fPaused; });
}

std::string TScriptedInternet::NameOf(THandle handle) const {
  if (handle == &fSession)
    return "session";
  if (handle == &fConnection)
    return "connection";
  if (handle == &fRequest)
    return "request";
  return handle ? "unknown" : "null";
}

TInternetApi::THandle TScriptedInternet::Open(const char *agent, uint32_t accessType,
                                              const char *proxy, const char *proxyBypass,
                                              uint32_t flags) {
  Record("Open(" + Quoted(agent) + ", " + std::to_string(accessType) + ", " + Quoted(proxy) + ", " +
         Quoted(proxyBypass) + ", " + std::to_string(flags) + ")");
  fTellsStatus = false;
  return &fSession;
}

TInternetApi::THandle TScriptedInternet::Connect(THandle session, const char *serverName,
                                                 uint16_t port, const char *userName,
                                                 const char *password, uint32_t service,
                                                 uint32_t flags, uintptr_t context) {
  Record("Connect(" + NameOf(session) + ", " + Quoted(serverName) + ", " + std::to_string(port) +
         ", " + Quoted(userName) + ", " + Quoted(password) + ", " + std::to_string(service) + ", " +
         std::to_string(flags) + ", " + std::to_string(context) + ")");
  return &fConnection;
}

TInternetApi::THandle TScriptedInternet::OpenRequest(THandle connection, const char *verb,
                                                     const char *objectName, const char *version,
                                                     const char *referrer, const char **acceptTypes,
                                                     uint32_t flags, uintptr_t context) {
  std::string accepted = "[";
  for (const char **type = acceptTypes; type && *type; ++type)
    accepted += (type == acceptTypes ? "" : ", ") + Quoted(*type);
  accepted += acceptTypes ? "]" : "null";
  Record("OpenRequest(" + NameOf(connection) + ", " + Quoted(verb) + ", " + Quoted(objectName) +
         ", " + Quoted(version) + ", " + Quoted(referrer) + ", " + accepted + ", " + Hex(flags) +
         ", " + (context ? "sink" : "0") + ")");
  fRequestContext = context;
  return &fRequest;
}

bool TScriptedInternet::SendRequest(THandle request, const char *headers, uint32_t headersLength,
                                    const void *optional, uint32_t optionalLength) {
  const std::string body =
      optional ? '"' + std::string(static_cast<const char *>(optional), optionalLength) + '"'
               : "null";
  Record("SendRequest(" + NameOf(request) + ", " + Quoted(headers) + ", " +
         std::to_string(headersLength) + ", " + body + ", " + std::to_string(optionalLength) + ")");
  if (!Replies.empty()) {
    const TReply &next = Replies.front();
    std::tie(StatusCode, ContentLength, Headers, Chunks, ReadFailsAtEnd) = std::tie(
        next.StatusCode, next.ContentLength, next.Headers, next.Chunks, next.ReadFailsAtEnd);
    Replies.pop_front();
  }
  if (fTellsStatus && fRequestContext)
    for (const std::string &url : Redirects)
      reinterpret_cast<TStatusSink *>(fRequestContext)->Redirected(url.c_str());
  return true;
}

bool TScriptedInternet::QueryInfo(THandle request, uint32_t infoLevel, void *buffer,
                                  uint32_t *bufferLength, uint32_t *index) {
  Record("QueryInfo(" + NameOf(request) + ", " + std::to_string(infoLevel) + ", " +
         std::to_string(*bufferLength) + ", " + (index ? std::to_string(*index) : "null") + ")");
  if (infoLevel == kQueryContentLength)
    return ContentLength && Answer(*ContentLength, buffer, bufferLength);
  if (infoLevel == kQueryStatusCode)
    return !StatusCode.empty() && Answer(StatusCode, buffer, bufferLength);
  const auto header = Headers.find(infoLevel);
  return header != Headers.end() && Answer(header->second, buffer, bufferLength);
}

// A buffer too small comes back with the size it needs, terminating zero included, as
// InternetQueryOptionA's does.
bool TScriptedInternet::QueryOption(THandle handle, uint32_t option, void *buffer,
                                    uint32_t *bufferLength) {
  Record("QueryOption(" + NameOf(handle) + ", " + std::to_string(option) + ", " +
         std::to_string(*bufferLength) + ")");
  if (option != kOptionUrl || !FinalUrl)
    return false;
  if (Answer(*FinalUrl, buffer, bufferLength))
    return true;
  *bufferLength = static_cast<uint32_t>(FinalUrl->size() + 1);
  return false;
}

bool TScriptedInternet::SetOption(THandle handle, uint32_t option, const void *buffer,
                                  uint32_t length) {
  uint32_t value = 0;
  std::memcpy(&value, buffer, std::min<size_t>(length, sizeof value));
  Record("SetOption(" + NameOf(handle) + ", " + std::to_string(option) + ", " +
         std::to_string(value) + ")");
  return true;
}

bool TScriptedInternet::SetStatusCallback(THandle handle) {
  Record("SetStatusCallback(" + NameOf(handle) + ")");
  fTellsStatus = true;
  return true;
}

bool TScriptedInternet::ReadFile(THandle file, void *buffer, uint32_t numberOfBytesToRead,
                                 uint32_t *numberOfBytesRead) {
  Record("ReadFile(" + NameOf(file) + ", " + std::to_string(numberOfBytesToRead) + ")");
  *numberOfBytesRead = 0;
  if (Chunks.empty())
    return !ReadFailsAtEnd;
  std::string &chunk = Chunks.front();
  const size_t size = std::min<size_t>(chunk.size(), numberOfBytesToRead);
  std::memcpy(buffer, chunk.data(), size);
  *numberOfBytesRead = static_cast<uint32_t>(size);
  BytesServed += size;
  chunk.erase(0, size);
  if (chunk.empty())
    Chunks.pop_front();
  return true;
}

void TScriptedInternet::CloseHandle(THandle handle) {
  Record("CloseHandle(" + NameOf(handle) + ")");
}
