#pragma once

#include "framework/Component.h"
#include "httpget/HttpGet.h"

#include <cstdint>
#include <optional>
#include <string>

class TPublisherKey;

/// Fetches a small text and then, under a publisher's key, its signature (the text's URL and
/// ".sig"), and reports one verified result on the user-interface thread: OnDone with the text
/// when it came whole, no longer than MaxLength, and, under a key, with the key's signature of
/// its very bytes; OnError otherwise. User-interface thread only.
class TSignedTextGet : public TComponent {
public:
  /// internet must outlive every transfer the component starts.
  TSignedTextGet(TComponent *owner, TInternetApi &internet);

  std::string URL;
  std::string Agent;
  uint32_t Timeout = 0;               // for each transfer; see THTTPGet::Timeout
  uint32_t MaxLength = 0;             // the longest text taken, in bytes; 0: no limit
  const TPublisherKey *Key = nullptr; // nullptr: the text is taken unsigned
  TOnDoneStringEvent OnDone;
  TNotifyEvent OnError;

  /// Starts the transfers; not again before one of the events has reported their end.
  void Get();
  /// When the text's reply was made, by the server's clock; see THTTPGet::ServerTime.
  std::optional<int64_t> ServerTime() const { return fText.ServerTime; }

private:
  void TextDone(TObject *sender, std::string text);
  void SignatureDone(TObject *sender, std::string signature);
  void TransferFailed(TObject *sender);

  THTTPGet &fText;
  THTTPGet &fSignature;
  std::string fTextReceived; // until its signature has arrived
};
