#include "update/delta/DeltaDecoder.h"

#include "framework/FileRemoval.h"
#include "framework/Thread.h"
#include "httpget/TargetFile.h"
#include "update/delta/DeltaDecoding.h"
#include "update/download/HeldDownload.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

/// One decoding; it deletes itself once its owner has heard of its end.
class TDeltaDecodeThread : public TThread {
public:
  TDeltaDecodeThread(std::string programFile, std::string deltaFile, std::string fileName)
      : ProgramFile(std::move(programFile)), DeltaFile(std::move(deltaFile)),
        FileName(std::move(fileName)) {}

  /// Keeps the end from reaching an owner that is going away.
  void Orphan() { OnTerminate = TNotifyEvent(); }

  const std::string ProgramFile;
  const std::string DeltaFile;
  const std::string FileName;
  // The outcome, read by the completion callback once Execute has returned.
  TDeltaOutcome Outcome = TDeltaOutcome::CannotRead;
  uint64_t Size = 0; // the rebuilt program's

protected:
  void Execute() override;

private:
  TDeltaOutcome Rebuild();
};

namespace {

// Reads the whole of a held file, which must fit within the bound of a delta's program, a piece
// at a time: a stop request is seen meanwhile, however large the program.
std::optional<std::vector<char>> WholeContentOf(const THeldDownload &file,
                                                const std::atomic<bool> &stop) {
  constexpr size_t kPiece = 1 << 20;
  const uint64_t size = file.Size();
  if (!file.Held() || size > kMaxDeltaProgramSize)
    return std::nullopt;
  std::vector<char> content(static_cast<size_t>(size));
  for (size_t at = 0; at < content.size(); at += kPiece) {
    const size_t length = std::min(kPiece, content.size() - at);
    if (stop || !file.ReadAt(static_cast<uint32_t>(at), content.data() + at, length))
      return std::nullopt;
  }
  return content;
}

} // namespace

// Nothing but a rebuilt program stays: what a refused or stopped decoding wrote goes.
void TDeltaDecodeThread::Execute() {
  try {
    Outcome = Rebuild();
  } catch (const std::exception &) { // no memory for the program, or no file to write
    Outcome = TDeltaOutcome::CannotWrite;
  }
  if (Terminated()) // however far it came: the owner has gone, or asked for the stop
    Outcome = TDeltaOutcome::Stopped;
  if (Outcome != TDeltaOutcome::Rebuilt)
    RemoveFile(FileName);
}

// Both files are held while they are read, so that nobody writes them meanwhile; the program's
// bytes are the ones the delta was asked for, or the content checksum fails.
TDeltaOutcome TDeltaDecodeThread::Rebuild() {
  const THeldDownload program(ProgramFile);
  const THeldDownload delta(DeltaFile);
  const std::optional<std::vector<char>> reference = WholeContentOf(program, TerminatedFlag());
  if (!reference)
    return TDeltaOutcome::Refused;
  const uint64_t deltaSize = delta.Size();
  if (!delta.Held() || deltaSize > UINT32_MAX)
    return TDeltaOutcome::CannotRead;
  uint32_t offset = 0;
  const TDeltaReader read = [&](char *buffer, size_t size) {
    const auto length = static_cast<size_t>(std::min<uint64_t>(size, deltaSize - offset));
    if (length > 0 && !delta.ReadAt(offset, buffer, length))
      throw std::runtime_error("cannot read the delta");
    offset += static_cast<uint32_t>(length);
    return length;
  };
  TTargetFile target = TTargetFile::Create(FileName);
  const TDeltaWriter write = [&](const char *data, size_t size) {
    target.Write(data, size);
    Size += size;
  };
  const TDeltaOutcome outcome = RebuildFromDelta(
      read, std::string_view(reference->data(), reference->size()), write, TerminatedFlag());
  if (outcome == TDeltaOutcome::Rebuilt)
    target.Flush();
  return outcome;
}

std::string DeltaUrlOf(const std::string &downloadUrl, const TSha256 &programDigest) {
  return downloadUrl + ".from-" + HexOf(programDigest);
}

std::string DeltaFileOf(const std::string &download) { return download + ".delta"; }

TDeltaDecoder::~TDeltaDecoder() {
  if (fThread)
    fThread->Orphan();
  Abort();
}

void TDeltaDecoder::Rebuild() {
  if (fThread)
    return;
  auto worker = std::make_unique<TDeltaDecodeThread>(ProgramFile, DeltaFile, FileName);
  worker->OnTerminate = MethodOf<&TDeltaDecoder::RebuildDone>(this);
  fThread = StartSelfDeleting(std::move(worker));
  if (!fThread)
    OnError(this);
}

void TDeltaDecoder::Abort() {
  if (fThread)
    fThread->Terminate();
}

void TDeltaDecoder::RebuildDone(TObject *sender) {
  const auto &worker = static_cast<const TDeltaDecodeThread &>(*sender);
  fThread = nullptr;
  if (worker.Outcome == TDeltaOutcome::Rebuilt)
    OnDone(this, worker.FileName, static_cast<int32_t>(worker.Size));
  else
    OnError(this);
}
