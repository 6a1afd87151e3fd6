#include "httpget/HttpGetThread.h"

#include "framework/IntegerSyntax.h"
#include "httpget/HttpDate.h"
#include "httpget/ResumeRules.h"
#include "httpget/TargetFile.h"
#include "httpget/UrlSplit.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

constexpr uint32_t kHeaderBufferSize = 1024;
constexpr uint32_t kChunkSize = 1025;
constexpr uint32_t kUrlBufferSize = 2085; // INTERNET_MAX_URL_LENGTH and the terminating zero
constexpr char kFormContentType[] = "Content-Type: application/x-www-form-urlencoded";
// A file whose connection ends early is asked for again, from where it stopped, this many times.
constexpr int kMaxResumes = 3;

// Stands in a handle's place once the worker or an abort has taken it to close it: no WinINet
// handle has this value.
TInternetApi::THandle HandleTaken() {
  return reinterpret_cast<TInternetApi::THandle>(~uintptr_t{0});
}

// The text that an HttpQueryInfoA or InternetQueryOptionA buffer holds up to its terminating
// zero.
std::string QueriedText(const char *buffer, size_t size) {
  const void *zero = std::memchr(buffer, 0, size);
  return std::string(buffer, zero ? static_cast<const char *>(zero) : buffer + size);
}

} // namespace

THTTPGetThread::THTTPGetThread(TInternetApi &internet, std::string acceptTypes, std::string agent,
                               std::string url, std::string fileName, std::string userName,
                               std::string password, std::string postQuery, std::string referer,
                               bool binaryData, bool useCache, uint32_t timeout,
                               uint32_t maxTextLength, uint32_t maxFileSize, uint32_t resumeDelay,
                               TOnProgressEvent progressHandler, bool toFile)
    : AcceptTypes(std::move(acceptTypes)), Agent(std::move(agent)), URL(std::move(url)),
      FileName(std::move(fileName)), UserName(std::move(userName)), Password(std::move(password)),
      PostQuery(std::move(postQuery)), Referer(std::move(referer)), BinaryData(binaryData),
      UseCache(useCache), Timeout(timeout), MaxTextLength(maxTextLength), MaxFileSize(maxFileSize),
      ResumeDelay(resumeDelay), ToFile(toFile), fInternet(internet),
      ProgressHandler(progressHandler) {}

void THTTPGetThread::Orphan() {
  fOrphaned = true;
  OnTerminate = TNotifyEvent();
}

// The stop request comes first, so that the worker ends failed whatever it does meanwhile. The
// handles are closed request first; on Windows that makes a call blocked in one of them return,
// while Wine's WinINet lets it wait for its receive timeout.
void THTTPGetThread::Abort() {
  Terminate();
  Succeeded = false;
  fPause.Interrupt();
  for (std::atomic<TInternetApi::THandle> *slot : {&fRequest, &fConnection, &fSession}) {
    const TInternetApi::THandle handle = slot->exchange(HandleTaken());
    if (handle && handle != HandleTaken())
      fInternet.CloseHandle(handle);
  }
}

// Whatever goes wrong ends the transfer as a failure; the handles, the buffers and the file
// are released on the way out by their owners.
void THTTPGetThread::Execute() {
  try {
    const TUrlParts url = SplitUrl(URL);
    if (!Terminated())
      Transfer(url);
  } catch (...) {
    Succeeded = false;
  }
}

void THTTPGetThread::Transfer(const TUrlParts &url) {
  struct TClosedOnExit {
    THTTPGetThread &Worker;
    ~TClosedOnExit() { Worker.CloseHandles(); }
  } closedOnExit{*this};

  // WinINet's handles are not tested: an empty one makes the later calls fail, and the
  // transfer then ends at the length query or in the read loop.
  const TInternetApi::THandle session =
      fInternet.Open(Agent.empty() ? nullptr : Agent.c_str(), TInternetApi::kOpenTypePreconfig,
                     nullptr, nullptr, 0);
  if (!Publish(fSession, session))
    return;
  // Some WinINets follow a redirect from https to http without a word, and any of them may
  // come back to https afterwards: each hop is told to Redirected. Handles opened from the
  // session take its callback.
  if (url.Secure)
    fInternet.SetStatusCallback(session);

  const uint16_t port =
      url.Secure ? TInternetApi::kDefaultHttpsPort : TInternetApi::kDefaultHttpPort;
  const TInternetApi::THandle connection =
      fInternet.Connect(session, url.HostName.c_str(), port, UserName.c_str(), Password.c_str(),
                        TInternetApi::kServiceHttp, 0, 0);
  if (!Publish(fConnection, connection))
    return;
  if (Timeout != 0)
    SetTimeouts(connection);

  TInternetApi::THandle request = SendRequest(url, connection, std::string());
  if (!request || !AcceptWholeReply(request))
    return;
  std::optional<TTargetFile> file;
  TBodyEnd end = ReadBody(request, file);

  if (end == TBodyEnd::EndedEarly)
    end = Resume(url, connection, request, file);

  // A body cut short, or one whose read failed, must not count: in text mode it would decide
  // an update, in file mode it would become the new program.
  const bool complete = end == TBodyEnd::Whole;
  // What becomes the new program must be on the disk before anyone gives it the program's name.
  if (file && complete)
    file->Flush();
  // An abort has closed the request, whose handle is then never used again.
  if (complete && !Terminated())
    ServerTime = ServerTimeOfReply(QueryText(request, TInternetApi::kQueryDate),
                                   QueryText(request, TInternetApi::kQueryAge));
  ReportOutcome(ToFile ? complete : complete && Readed != 0);
}

// A file whose connection ended early is asked for again from where it stopped, but only
// from the same file: the server must answer with exactly the rest of it, or with the whole
// of a new one, which starts the file again. The validator of the whole reply names it.
THTTPGetThread::TBodyEnd THTTPGetThread::Resume(const TUrlParts &url,
                                                TInternetApi::THandle connection,
                                                TInternetApi::THandle &request,
                                                std::optional<TTargetFile> &file) {
  TBodyEnd end = TBodyEnd::EndedEarly;
  std::optional<std::string> validator;
  bool wholeReply = true;
  for (int resumes = 0; end == TBodyEnd::EndedEarly && resumes < kMaxResumes; ++resumes) {
    if (wholeReply)
      validator = ResumeValidatorOf(request);
    if (!validator || !ReleaseRequest() || !fPause.Wait(PauseBeforeResume(resumes)))
      break;
    request = SendRequest(url, connection, RangeRequestHeaders(Readed, *validator));
    if (!request)
      return TBodyEnd::Unusable;
    const TRangeReply reply = RangeReplyOf(request);
    if (reply == TRangeReply::Refused)
      return TBodyEnd::Unusable;
    wholeReply = reply == TRangeReply::WholeFile;
    if (wholeReply)
      file->Truncate();
    if (reply != TRangeReply::Missing)
      end = ReadBody(request, file);
  }
  return end;
}

TInternetApi::THandle THTTPGetThread::SendRequest(const TUrlParts &url,
                                                  TInternetApi::THandle connection,
                                                  const std::string &headers) {
  const bool post = !PostQuery.empty();
  const char *acceptTypes[] = {AcceptTypes.c_str(), nullptr};
  // No flag that ignores certificate errors: WinINet's check of the certificate stands.
  const uint32_t flags =
      (UseCache ? 0 : TInternetApi::kFlagReload) | (url.Secure ? TInternetApi::kFlagSecure : 0);
  const uintptr_t context =
      url.Secure ? reinterpret_cast<uintptr_t>(static_cast<TStatusSink *>(this)) : 0;
  const TInternetApi::THandle request =
      fInternet.OpenRequest(connection, post ? "POST" : "GET", url.ObjectName.c_str(), "HTTP/1.0",
                            Referer.c_str(), acceptTypes, flags, context);
  if (!Publish(fRequest, request))
    return nullptr;
  if (post)
    fInternet.SendRequest(request, kFormContentType, sizeof kFormContentType - 1, PostQuery.data(),
                          static_cast<uint32_t>(PostQuery.size()));
  else
    fInternet.SendRequest(request, headers.empty() ? nullptr : headers.c_str(),
                          static_cast<uint32_t>(headers.size()), nullptr, 0);
  if (Terminated())
    return nullptr;
  // What was asked for over https must arrive over https, on every hop.
  if (url.Secure && (fLeftHttps || !FinalUrlIsSecure(request)))
    return nullptr;
  return request;
}

bool THTTPGetThread::AcceptWholeReply(TInternetApi::THandle request) {
  const std::optional<std::string> length = QueryText(request, TInternetApi::kQueryContentLength);
  fLengthAnnounced = length.has_value();
  if (Terminated())
    return false;
  if (!fLengthAnnounced && BinaryData)
    return false;
  // An error page is not the file asked for, whatever its length.
  if (!StatusIsSuccess(request))
    return false;
  TotalSize = fLengthAnnounced ? StrToInt(*length) : 0;
  Readed = 0;
  return TotalSize >= 0;
}

// Only a file fetched whole by GET, whose length its reply announced, is ever fetched in parts.
std::optional<std::string> THTTPGetThread::ResumeValidatorOf(TInternetApi::THandle request) {
  if (!ToFile || !PostQuery.empty() || !fLengthAnnounced ||
      QueryText(request, TInternetApi::kQueryStatusCode) != "200")
    return std::nullopt;
  return IfRangeValidatorOf({QueryText(request, TInternetApi::kQueryETag),
                             QueryText(request, TInternetApi::kQueryLastModified),
                             QueryText(request, TInternetApi::kQueryDate),
                             QueryText(request, TInternetApi::kQueryAcceptRanges)});
}

// A 206 must hold exactly the rest of the file whose length the whole reply announced. A 200
// holds the whole file: If-Range found it changed. No reply at all is one more lost connection.
THTTPGetThread::TRangeReply THTTPGetThread::RangeReplyOf(TInternetApi::THandle request) {
  const std::optional<std::string> status = QueryText(request, TInternetApi::kQueryStatusCode);
  if (!status)
    return TRangeReply::Missing;
  if (*status == "200")
    return AcceptWholeReply(request) ? TRangeReply::WholeFile : TRangeReply::Refused;
  if (*status != "206")
    return TRangeReply::Refused;
  // A body longer or shorter than the range it names ends like any other.
  const std::optional<std::string> range = QueryText(request, TInternetApi::kQueryContentRange);
  return range && ContentRangeIsTheRest(*range, Readed, TotalSize) ? TRangeReply::Rest
                                                                   : TRangeReply::Refused;
}

// Each pause doubles the one before: a network that comes back at once loses a second, one
// that takes longer is given seven in all.
std::chrono::milliseconds THTTPGetThread::PauseBeforeResume(int earlier) const {
  return std::chrono::milliseconds(uint64_t{ResumeDelay} << earlier);
}

// A header's text; unset when the reply has none, or one longer than any that a transfer uses.
std::optional<std::string> THTTPGetThread::QueryText(TInternetApi::THandle request,
                                                     uint32_t infoLevel) {
  std::vector<char> text(kHeaderBufferSize);
  uint32_t size = kHeaderBufferSize;
  uint32_t index = 0;
  if (!fInternet.QueryInfo(request, infoLevel, text.data(), &size, &index))
    return std::nullopt;
  return QueriedText(text.data(), text.size());
}

// A stall fails like a lost connection, in every phase: WinINet gives up on a connection, a
// send or a receive that makes no progress for this long. A slow body is no stall: each byte
// that arrives starts the wait anew. Set on the connection, they hold for its requests.
void THTTPGetThread::SetTimeouts(TInternetApi::THandle connection) {
  const uint32_t milliseconds = Timeout * 1000;
  for (const uint32_t option :
       {TInternetApi::kOptionConnectTimeout, TInternetApi::kOptionSendTimeout,
        TInternetApi::kOptionReceiveTimeout})
    fInternet.SetOption(connection, option, &milliseconds, sizeof milliseconds);
}

void THTTPGetThread::Redirected(const char *url) {
  if (!SplitUrl(url).Secure)
    fLeftHttps = true;
}

// After an abort the handle belongs to a closed parent, and its value may soon name another
// handle: it is closed at once and never used.
bool THTTPGetThread::Publish(std::atomic<TInternetApi::THandle> &slot,
                             TInternetApi::THandle handle) {
  if (slot.exchange(handle) != HandleTaken())
    return true;
  slot = HandleTaken();
  fInternet.CloseHandle(handle);
  return false;
}

bool THTTPGetThread::ReleaseRequest() {
  const TInternetApi::THandle request = fRequest.exchange(nullptr);
  if (request == HandleTaken()) {
    fRequest = HandleTaken();
    return false;
  }
  fInternet.CloseHandle(request);
  return true;
}

void THTTPGetThread::CloseHandles() {
  for (std::atomic<TInternetApi::THandle> *slot : {&fRequest, &fConnection, &fSession}) {
    const TInternetApi::THandle handle = slot->exchange(HandleTaken());
    if (handle != HandleTaken())
      fInternet.CloseHandle(handle);
  }
}

THTTPGetThread::TBodyEnd THTTPGetThread::ReadBody(TInternetApi::THandle request,
                                                  std::optional<TTargetFile> &file) {
  if (ToFile && !file)
    file.emplace(TTargetFile::Create(FileName));
  // A text is read in one go: it is never resumed.
  if (!ToFile)
    ResultText.clear();

  std::vector<char> chunk(kChunkSize);
  for (;;) {
    if (Terminated())
      return TBodyEnd::Unusable;
    if (!fInternet.ReadFile(request, chunk.data(), NextReadSize(), &BytesRead))
      return TBodyEnd::EndedEarly;
    if (BytesRead == 0)
      break;
    if (BytesRead > static_cast<uint32_t>(std::numeric_limits<int32_t>::max() - Readed))
      throw std::overflow_error("the body does not fit in 2 GiB");
    if (file)
      file->Write(chunk.data(), BytesRead);
    else
      ResultText.append(chunk.data(), BytesRead);
    Readed += static_cast<int32_t>(BytesRead);
    if (ProgressHandler.Assigned())
      Synchronize([this] { UpdateProgress(); });
    // A body past its limit is too long whatever follows or was announced: the rest is never
    // read, nor asked for again.
    if (Limit() != 0 && static_cast<uint32_t>(Readed) > Limit())
      return TBodyEnd::Whole;
  }
  if (!fLengthAnnounced || Readed == TotalSize)
    return TBodyEnd::Whole;
  return Readed < TotalSize ? TBodyEnd::EndedEarly : TBodyEnd::Unusable;
}

// Readed counts the whole body, a resumed file's included, and never passes the limit by more
// than one byte.
uint32_t THTTPGetThread::NextReadSize() const {
  if (Limit() == 0)
    return kChunkSize;
  return static_cast<uint32_t>(std::min<uint64_t>(kChunkSize, Limit() + 1ull - Readed));
}

bool THTTPGetThread::FinalUrlIsSecure(TInternetApi::THandle request) {
  std::vector<char> text(kUrlBufferSize);
  uint32_t size = kUrlBufferSize;
  if (!fInternet.QueryOption(request, TInternetApi::kOptionUrl, text.data(), &size)) {
    // A buffer too small comes back with the size it needs.
    if (size <= text.size())
      return false;
    text.resize(size);
    if (!fInternet.QueryOption(request, TInternetApi::kOptionUrl, text.data(), &size))
      return false;
  }
  return SplitUrl(QueriedText(text.data(), text.size())).Secure;
}

bool THTTPGetThread::StatusIsSuccess(TInternetApi::THandle request) {
  const std::string code = QueryText(request, TInternetApi::kQueryStatusCode).value_or("");
  return code.size() == 3 && code[0] == '2' && std::isdigit(static_cast<unsigned char>(code[1])) &&
         std::isdigit(static_cast<unsigned char>(code[2]));
}

// An abort sets the stop request before it clears Succeeded, so checking the request after
// the store leaves an aborted transfer failed whenever the abort comes.
void THTTPGetThread::ReportOutcome(bool succeeded) {
  Succeeded = succeeded;
  if (Terminated())
    Succeeded = false;
}

void THTTPGetThread::UpdateProgress() {
  if (!fOrphaned)
    ProgressHandler(this, TotalSize, Readed);
}
