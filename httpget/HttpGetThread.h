#pragma once

#include "framework/Thread.h"
#include "httpget/InternetApi.h"
#include "httpget/InterruptibleWait.h"
#include "httpget/UrlSplit.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

class TTargetFile;

/// Progress of a transfer: Sender is the worker, TotalSize the announced length (0 when none
/// was announced), Readed the bytes received and stored so far.
using TOnProgressEvent = TMethod<TObject *, int32_t, int32_t>;

/// Carries out one HTTP transfer on a thread of its own, into a file or into a text, and then
/// deletes itself. Its owner attaches OnTerminate and calls Start; while the worker runs, the
/// owner calls only Abort and Orphan, on the user-interface thread.
class THTTPGetThread : public TThread, private TInternetApi::TStatusSink {
public:
  /// timeout: the seconds a transfer may receive nothing before it fails; 0 leaves WinINet's own.
  /// maxTextLength, maxFileSize, resumeDelay: see THTTPGet's members of those names.
  THTTPGetThread(TInternetApi &internet, std::string acceptTypes, std::string agent,
                 std::string url, std::string fileName, std::string userName, std::string password,
                 std::string postQuery, std::string referer, bool binaryData, bool useCache,
                 uint32_t timeout, uint32_t maxTextLength, uint32_t maxFileSize,
                 uint32_t resumeDelay, TOnProgressEvent progressHandler, bool toFile);

  /// Stops progress and completion calls from reaching their objects, which are going away.
  void Orphan();
  /// Ends the transfer as a failure, at once: its WinINet handles are closed, so that a call
  /// blocked in one of them returns where the platform allows it, and a pause before a resume
  /// ends.
  void Abort();

  // The transfer's settings, copied when it starts.
  const std::string AcceptTypes;
  const std::string Agent;
  const std::string URL;
  const std::string FileName;
  const std::string UserName;
  const std::string Password;
  const std::string PostQuery;
  const std::string Referer;
  const bool BinaryData;
  const bool UseCache;
  const uint32_t Timeout;
  const uint32_t MaxTextLength;
  const uint32_t MaxFileSize;
  const uint32_t ResumeDelay;
  const bool ToFile;

  // The outcome, read by the completion callback once Execute has returned.
  std::string ResultText;
  std::atomic<bool> Succeeded{false};
  int32_t TotalSize = 0;
  uint32_t BytesRead = 0;
  int32_t Readed = 0;
  std::optional<int64_t> ServerTime; // see THTTPGet::ServerTime

protected:
  void Execute() override;

private:
  /// How a body's reading ended.
  enum class TBodyEnd { Whole, EndedEarly, Unusable };
  /// What a reply to a range request holds.
  enum class TRangeReply { Rest, WholeFile, Missing, Refused };

  void Transfer(const TUrlParts &url);
  void SetTimeouts(TInternetApi::THandle connection);
  /// Asks again for the rest of a file whose body ended early, a few times at most; request
  /// becomes the last one sent.
  TBodyEnd Resume(const TUrlParts &url, TInternetApi::THandle connection,
                  TInternetApi::THandle &request, std::optional<TTargetFile> &file);
  /// Opens, publishes and sends a request with the given extra headers; nullptr when the
  /// transfer must end (a stop request, or a secure address that ended off https).
  TInternetApi::THandle SendRequest(const TUrlParts &url, TInternetApi::THandle connection,
                                    const std::string &headers);
  /// Checks a reply that holds the whole body and takes its length; false when it must not be
  /// read.
  bool AcceptWholeReply(TInternetApi::THandle request);
  /// The If-Range validator that lets the body of request, a whole reply, be resumed.
  std::optional<std::string> ResumeValidatorOf(TInternetApi::THandle request);
  TRangeReply RangeReplyOf(TInternetApi::THandle request);
  /// The pause before the resume that follows `earlier` others.
  std::chrono::milliseconds PauseBeforeResume(int earlier) const;
  std::optional<std::string> QueryText(TInternetApi::THandle request, uint32_t infoLevel);
  void Redirected(const char *url) override;
  /// Keeps a handle just opened where an abort finds it; false, with the handle closed, when an
  /// abort came first.
  bool Publish(std::atomic<TInternetApi::THandle> &slot, TInternetApi::THandle handle);
  /// Closes the request, for another on the same connection; false when an abort has closed it.
  bool ReleaseRequest();
  /// Closes the handles that no abort has closed, request first.
  void CloseHandles();
  /// Reads the body into file (created on the first call) or into ResultText.
  TBodyEnd ReadBody(TInternetApi::THandle request, std::optional<TTargetFile> &file);
  /// The longest body this transfer keeps, MaxFileSize or MaxTextLength; 0: no limit.
  uint32_t Limit() const { return ToFile ? MaxFileSize : MaxTextLength; }
  /// How many bytes the next read asks for: a chunk, or what takes the body just past its limit.
  uint32_t NextReadSize() const;
  bool FinalUrlIsSecure(TInternetApi::THandle request);
  bool StatusIsSuccess(TInternetApi::THandle request);
  void ReportOutcome(bool succeeded);
  void UpdateProgress();

  TInternetApi &fInternet;
  const TOnProgressEvent ProgressHandler;
  bool fOrphaned = false; // user-interface thread only
  // The transfer's handles. Each is closed by whoever takes it from its slot first, the worker
  // at its end or an abort; the other finds it taken.
  std::atomic<TInternetApi::THandle> fSession{nullptr};
  std::atomic<TInternetApi::THandle> fConnection{nullptr};
  std::atomic<TInternetApi::THandle> fRequest{nullptr};
  bool fLeftHttps = false;       // a redirect went to a plain http address; worker only
  bool fLengthAnnounced = false; // the last whole reply had a Content-Length; worker only
  TInterruptibleWait fPause;     // before a resume; an abort ends it
};
