#include "bench/download/VerifyRun_win.h"

#include "bench/download/Measures_win.h"
#include "drivers/WholeFile.h"
#include "update/download/HeldDownload.h"
#include "update/verify/PublisherKey.h"

#include <cstdio>
#include <memory>

bool RunVerify(const std::string &served, const std::string &file) {
  const std::unique_ptr<TPublisherKey> key =
      ImportPublisherKey(ReadWholeFile(served + "\\release.pub"));
  const std::string signature = ReadWholeFile(served + "\\" + file + ".sig");
  const THeldDownload download(served + "\\" + file);
  if (!key || !download.Held())
    return false;
  const TClock::time_point started = TClock::now();
  const bool signedWithKey = key->Signed(download, signature);
  const TClock::time_point finished = TClock::now();
  if (signedWithKey)
    std::printf("%.1f %.2f", MillisecondsBetween(started, finished), PeakWorkingSetMiB());
  return signedWithKey;
}
