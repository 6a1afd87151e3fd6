#pragma once

#include "framework/Thread.h"
#include "httpget/InternetApi.h"

#include <atomic>
#include <cstdint>
#include <string>

/// Progress of a transfer: Sender is the worker, TotalSize the announced length (0 when none
/// was announced), Readed the bytes received and stored so far.
using TOnProgressEvent = TMethod<TObject *, int32_t, int32_t>;

/// Carries out one HTTP transfer on a thread of its own, into a file or into a text, and then
/// deletes itself. Its owner attaches OnTerminate, calls Start, and while the worker runs may
/// only call Terminate and clear Succeeded (that is an abort).
class THTTPGetThread : public TThread {
public:
  THTTPGetThread(TInternetApi &internet, std::string acceptTypes, std::string agent,
                 std::string url, std::string fileName, std::string userName, std::string password,
                 std::string postQuery, std::string referer, bool binaryData, bool useCache,
                 TOnProgressEvent progressHandler, bool toFile);

  /// Stops progress and completion calls from reaching their objects, which are going away.
  /// User-interface thread only.
  void Orphan();

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
  void Transfer();
  void ReadBody(TInternetApi::THandle request, bool lengthAnnounced);
  bool FinalUrlIsSecure(TInternetApi::THandle request);
  bool StatusIsSuccess(TInternetApi::THandle request);
  void ReportOutcome(bool succeeded);
  void UpdateProgress();

  TInternetApi &fInternet;
  const TOnProgressEvent ProgressHandler;
  bool fOrphaned = false; // user-interface thread only
};
