#include "httpget/HttpGetThread.h"

#include "framework/IntegerSyntax.h"
#include "httpget/TargetFile.h"
#include "httpget/UrlSplit.h"

#include <cctype>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

constexpr uint32_t kLengthBufferSize = 1024;
constexpr uint32_t kChunkSize = 1025;
constexpr uint32_t kUrlBufferSize = 2085; // INTERNET_MAX_URL_LENGTH and the terminating zero
constexpr char kFormContentType[] = "Content-Type: application/x-www-form-urlencoded";

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
                               bool binaryData, bool useCache, TOnProgressEvent progressHandler,
                               bool toFile)
    : AcceptTypes(std::move(acceptTypes)), Agent(std::move(agent)), URL(std::move(url)),
      FileName(std::move(fileName)), UserName(std::move(userName)), Password(std::move(password)),
      PostQuery(std::move(postQuery)), Referer(std::move(referer)), BinaryData(binaryData),
      UseCache(useCache), ToFile(toFile), fInternet(internet), ProgressHandler(progressHandler) {}

void THTTPGetThread::Orphan() {
  fOrphaned = true;
  OnTerminate = TNotifyEvent();
}

// Whatever goes wrong ends the transfer as a failure; the handles, the buffers and the file
// are released on the way out by their owners.
void THTTPGetThread::Execute() {
  try {
    Transfer();
  } catch (...) {
    Succeeded = false;
  }
}

void THTTPGetThread::Transfer() {
  const TUrlParts url = SplitUrl(URL);
  if (Terminated())
    return;

  // WinINet's handles are not tested: an empty one makes the later calls fail, and the
  // transfer then ends at the length query or in the read loop.
  TInternetHandle session(fInternet,
                          fInternet.Open(Agent.empty() ? nullptr : Agent.c_str(),
                                         TInternetApi::kOpenTypePreconfig, nullptr, nullptr, 0));
  const uint16_t port =
      url.Secure ? TInternetApi::kDefaultHttpsPort : TInternetApi::kDefaultHttpPort;
  TInternetHandle connection(fInternet, fInternet.Connect(session.Get(), url.HostName.c_str(), port,
                                                          UserName.c_str(), Password.c_str(),
                                                          TInternetApi::kServiceHttp, 0, 0));
  const bool post = !PostQuery.empty();
  const char *acceptTypes[] = {AcceptTypes.c_str(), nullptr};
  // No flag that ignores certificate errors: WinINet's check of the certificate stands.
  const uint32_t flags =
      (UseCache ? 0 : TInternetApi::kFlagReload) | (url.Secure ? TInternetApi::kFlagSecure : 0);
  TInternetHandle request(fInternet, fInternet.OpenRequest(connection.Get(), post ? "POST" : "GET",
                                                           url.ObjectName.c_str(), "HTTP/1.0",
                                                           Referer.c_str(), acceptTypes, flags, 0));
  if (post)
    fInternet.SendRequest(request.Get(), kFormContentType, sizeof kFormContentType - 1,
                          PostQuery.data(), static_cast<uint32_t>(PostQuery.size()));
  else
    fInternet.SendRequest(request.Get(), nullptr, 0, nullptr, 0);
  if (Terminated())
    return;
  // Some WinINets follow a redirect from https to http without a word; what was asked for
  // over https must arrive over https.
  if (url.Secure && !FinalUrlIsSecure(request.Get()))
    return;

  std::vector<char> lengthText(kLengthBufferSize);
  uint32_t lengthSize = kLengthBufferSize;
  uint32_t index = 0;
  const bool lengthAnnounced = fInternet.QueryInfo(request.Get(), TInternetApi::kQueryContentLength,
                                                   lengthText.data(), &lengthSize, &index);
  if (Terminated())
    return;
  if (!lengthAnnounced && BinaryData)
    return;
  // An error page is not the file asked for, whatever its length.
  if (!StatusIsSuccess(request.Get()))
    return;

  if (lengthAnnounced) {
    TotalSize = StrToInt(QueriedText(lengthText.data(), lengthText.size()));
    if (TotalSize < 0)
      return;
  }
  ReadBody(request.Get(), lengthAnnounced);
}

void THTTPGetThread::ReadBody(TInternetApi::THandle request, bool lengthAnnounced) {
  Readed = 0;
  std::optional<TTargetFile> file;
  if (ToFile)
    file.emplace(TTargetFile::Create(FileName));
  else
    ResultText.clear();

  std::vector<char> chunk(kChunkSize);
  bool readFailed = false;
  for (;;) {
    if (Terminated())
      return;
    if (!fInternet.ReadFile(request, chunk.data(), kChunkSize, &BytesRead)) {
      readFailed = true;
      break;
    }
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
  }

  // A body cut short, or one whose read failed, must not count: in text mode it would decide
  // an update, in file mode it would become the new program.
  const bool complete = !readFailed && (!lengthAnnounced || Readed == TotalSize);
  ReportOutcome(ToFile ? complete : complete && Readed != 0);
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
  char status[32] = {};
  uint32_t size = sizeof status;
  uint32_t index = 0;
  if (!fInternet.QueryInfo(request, TInternetApi::kQueryStatusCode, status, &size, &index))
    return false;
  const std::string code = QueriedText(status, sizeof status);
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
