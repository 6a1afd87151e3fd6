#pragma once

#include "framework/Thread.h"
#include "httpget/InternetApi.h"
#include "httpget/UrlSplit.h"

#include <atomic>
#include <cstdint>
#include <string>

/// Progress of a transfer: Sender is the worker, TotalSize the announced length (0 when none
/// was announced), Readed the bytes received and stored so far.
using TOnProgressEvent = TMethod<TObject *, int32_t, int32_t>;

/// Carries out one HTTP transfer on a thread of its own, into a file or into a text, and then
/// deletes itself. Its owner attaches OnTerminate and calls Start; while the worker runs, the
/// owner calls only Abort and Orphan, on the user-interface thread.
class THTTPGetThread : public TThread, private TInternetApi::TStatusSink {
public:
  /// timeout: the seconds a transfer may receive nothing before it fails; 0 leaves WinINet's own.
  /// maxTextLength: see THTTPGet::MaxTextLength.
  THTTPGetThread(TInternetApi &internet, std::string acceptTypes, std::string agent,
                 std::string url, std::string fileName, std::string userName, std::string password,
                 std::string postQuery, std::string referer, bool binaryData, bool useCache,
                 uint32_t timeout, uint32_t maxTextLength, TOnProgressEvent progressHandler,
                 bool toFile);

  /// Stops progress and completion calls from reaching their objects, which are going away.
  void Orphan();
  /// Ends the transfer as a failure, at once: its WinINet handles are closed, so that a call
  /// blocked in one of them returns where the platform allows it.
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
  const bool ToFile;

  // The outcome, read by the completion callback once Execute has returned.
  std::string ResultText;
  std::atomic<bool> Succeeded{false};
  int32_t TotalSize = 0;
  uint32_t BytesRead = 0;
  int32_t Readed = 0;

protected:
  void Execute() override;

private:
  void Transfer(const TUrlParts &url);
  void SetTimeouts(TInternetApi::THandle connection);
  void Redirected(const char *url) override;
  /// Keeps a handle just opened where an abort finds it; false, with the handle closed, when an
  /// abort came first.
  bool Publish(std::atomic<TInternetApi::THandle> &slot, TInternetApi::THandle handle);
  /// Closes the handles that no abort has closed, request first.
  void CloseHandles();
  void ReadBody(TInternetApi::THandle request, bool lengthAnnounced);
  /// How many bytes the next read asks for: a chunk, or what takes a text just past its limit.
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
  bool fLeftHttps = false; // a redirect went to a plain http address; worker only
};
