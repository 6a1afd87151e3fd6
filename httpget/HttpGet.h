#pragma once

#include "framework/Component.h"
#include "httpget/HttpGetThread.h"

#include <cstdint>
#include <optional>
#include <string>

using TOnDoneFileEvent = TMethod<TObject *, std::string, int32_t>;
using TOnDoneStringEvent = TMethod<TObject *, std::string>;

/// Fetches one URL at a time on a worker thread, into a file (GetFile) or into a text
/// (GetString), and reports progress, completion and failure as events on the user-interface
/// thread: per transfer some OnProgress, then exactly one of OnDoneFile, OnDoneString, OnError.
/// Used on the user-interface thread only. It shows no message and raises no error.
class THTTPGet : public TComponent {
public:
  /// A component that fetches through WinINet.
  explicit THTTPGet(TComponent *owner);
  /// A component that fetches through internet, which must outlive every transfer it starts.
  THTTPGet(TComponent *owner, TInternetApi &internet);
  /// Abandons a running transfer: no event of it reaches this component or the owner's handlers.
  ~THTTPGet() override;

  std::string AcceptTypes = "*/*";
  std::string Agent = "Korvanta HTTPGet";
  bool BinaryData = false;
  std::string URL;
  bool UseCache = false;
  std::string FileName;
  std::string UserName;
  std::string Password;
  std::string PostQuery;
  std::string Referer;
  bool WaitThread = false;
  uint32_t Timeout = 0; // seconds a transfer may receive nothing before it fails; 0: WinINet's
  /// The longest text a text transfer reads; 0: no limit. A body announced or received longer
  /// is read no further than one byte past it and arrives cut there, so that the receiver sees
  /// that it is too long without holding what an endless server sends.
  uint32_t MaxTextLength = 0;
  /// The largest file a file transfer writes; 0: no limit. A body announced or received longer
  /// is written no further than one byte past it, resumed or not, and the transfer ends there as
  /// done, so that the receiver sees that it is too long without reading what an endless server
  /// sends.
  uint32_t MaxFileSize = 0;
  /// The milliseconds a file transfer whose connection ended early waits before it asks for the
  /// rest; each later try waits twice as long as the one before.
  uint32_t ResumeDelay = 1000;
  TOnProgressEvent OnProgress;
  TOnDoneFileEvent OnDoneFile;
  TOnDoneStringEvent OnDoneString;
  TNotifyEvent OnError;
  /// The seconds since 1970 (UTC) at which the server's clock made the reply that completed the
  /// last transfer, the last part of a resumed file: its Date plus the Age a cache added to it.
  /// Unset when that reply had no Date that parses, and from the start of each transfer until
  /// it succeeds; set before OnDoneFile or OnDoneString runs.
  std::optional<int64_t> ServerTime;

  /// Starts a transfer of URL into FileName; ignored while a transfer runs. With WaitThread it
  /// returns after the completion event, serving every message meanwhile and using no
  /// processor time while none arrives. When no thread can be started, OnError runs before it
  /// returns.
  void GetFile();
  /// Starts a transfer of URL into a text; ignored while a transfer runs. With WaitThread it
  /// serves the messages already waiting before it returns.
  void GetString();
  /// Stops a running transfer, even one that WinINet blocks, which then ends in OnError; does
  /// nothing when idle.
  void Abort();

private:
  void Start(bool toFile);
  void ThreadDone(TObject *sender);

  TInternetApi &fInternet;
  THTTPGetThread *fThread = nullptr; // not owned: the worker deletes itself
};
