// How fast a body moves through the transfer worker into a file or a text, with and without a
// progress handler (each progress report is a round trip onto the user-interface thread).
// The network is an in-memory stand-in, so what is measured is the worker's own cost.
#include "drivers/FakeUiThread.h"
#include "httpget/HttpGet.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Serves one body of a given size with its Content-Length, as fast as it is asked for.
class TMemoryInternet : public TInternetApi {
public:
  explicit TMemoryInternet(size_t bodySize) : fBody(bodySize, 'x') {}

  THandle Open(const char *, uint32_t, const char *, const char *, uint32_t) override {
    return this;
  }
  THandle Connect(THandle, const char *, uint16_t, const char *, const char *, uint32_t, uint32_t,
                  uintptr_t) override {
    return this;
  }
  THandle OpenRequest(THandle, const char *, const char *, const char *, const char *,
                      const char **, uint32_t, uintptr_t) override {
    fOffset = 0;
    return this;
  }
  bool SendRequest(THandle, const char *, uint32_t, const void *, uint32_t) override {
    return true;
  }
  bool QueryInfo(THandle, uint32_t infoLevel, void *buffer, uint32_t *bufferLength,
                 uint32_t *) override {
    const std::string text =
        infoLevel == kQueryContentLength ? std::to_string(fBody.size()) : std::string("200");
    std::snprintf(static_cast<char *>(buffer), *bufferLength, "%s", text.c_str());
    return true;
  }
  // Asked only of https transfers, which this stand-in does not serve.
  bool QueryOption(THandle, uint32_t, void *, uint32_t *) override { return false; }
  bool ReadFile(THandle, void *buffer, uint32_t toRead, uint32_t *read) override {
    *read = static_cast<uint32_t>(std::min<size_t>(toRead, fBody.size() - fOffset));
    std::memcpy(buffer, fBody.data() + fOffset, *read);
    fOffset += *read;
    return true;
  }
  void CloseHandle(THandle) override {}

private:
  std::string fBody;
  size_t fOffset = 0;
};

class TBenchForm : public TComponent {
public:
  TBenchForm() : TComponent(nullptr) {}
  void Progress(TObject *, int32_t, int32_t readed) { LastReaded = readed; }
  void Done(TObject *) { Completed = true; }
  void DoneFile(TObject *, std::string, int32_t) { Completed = true; }
  void DoneString(TObject *, std::string result) { Completed = !result.empty(); }
  int32_t LastReaded = 0;
  bool Completed = false;
};

void Transfer(benchmark::State &state, bool toFile, bool withProgress) {
  const auto bodySize = static_cast<size_t>(state.range(0));
  TFakeUiThread ui;
  TMemoryInternet internet(bodySize);
  TBenchForm form;
  THTTPGet &http = form.Own<THTTPGet>(internet);
  http.URL = "http://bench/body";
  http.FileName = "/tmp/updater-bench.bin";
  http.BinaryData = true;
  http.WaitThread = true;
  if (withProgress)
    http.OnProgress = MethodOf<&TBenchForm::Progress>(&form);
  http.OnDoneFile = MethodOf<&TBenchForm::DoneFile>(&form);
  http.OnDoneString = MethodOf<&TBenchForm::DoneString>(&form);
  http.OnError = MethodOf<&TBenchForm::Done>(&form);

  for (auto _ : state) {
    form.Completed = false;
    if (toFile) {
      http.GetFile();
    } else {
      http.GetString();
      ui.PumpUntil([&] { return form.Completed; });
    }
    if (!form.Completed)
      state.SkipWithError("the transfer failed");
  }
  // A worker touches neither stand-in once its completion has been served, so they may go.
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bodySize));
  std::remove(http.FileName.c_str());
}

void FileWithProgress(benchmark::State &state) { Transfer(state, true, true); }
void FileWithoutProgress(benchmark::State &state) { Transfer(state, true, false); }
void TextWithoutProgress(benchmark::State &state) { Transfer(state, false, false); }

BENCHMARK(FileWithProgress)->Arg(4 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(FileWithoutProgress)->Arg(4 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(TextWithoutProgress)->Arg(4 << 20)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
