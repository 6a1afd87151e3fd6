#include "bench/quiet/BareFetch_win.h"

#include "bench/download/BareRequest_win.h"

bool RunBareFetch(const std::string &server, const std::string &path) {
  const TBareRequest request(server, path, true);
  if (!request.Succeeded())
    return false;
  char chunk[1025]; // what the transfer worker reads at a time
  DWORD read = 0;
  while (InternetReadFile(request.Get(), chunk, sizeof chunk, &read))
    if (read == 0)
      return true;
  return false;
}
