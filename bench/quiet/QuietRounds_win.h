#pragma once

#include <string>
#include <vector>

/// What the user's record of checks holds when the updater starts.
enum class TRecordBefore {
  Untouched, // whatever the updater left there: without an interval it neither needs nor writes one
  Cleared,   // no check yet: the start checks, and stores the time
  Fresh,     // a check a moment ago: within the interval the start asks the server nothing
};

/// One way the updater is set up for a quiet start that finds nothing newer.
struct TQuietCase {
  std::string Name;     // as the report names it; its folder too
  std::string Updater;  // the updater.exe started
  std::string Settings; // lines of its .ini after the file URLs, each ended by "\r\n"
  TRecordBefore Record;
};

/// What every case shares, all paths UTF-8.
struct TQuietSetup {
  std::string Server;    // serves version.txt over https, holding a version no newer than 1
  std::string Folder;    // where each case gets a folder of its own
  std::string ServedLog; // the server's record of what it sent (TServedLog)
  std::string Program;   // installed beside each updater as the host program
};

/// The wall times of one case's starts, in milliseconds, each beside a bare fetch of the same
/// version file in a process of its own, made just before or just after it.
struct TCaseSamples {
  std::string Name;
  size_t Requests; // what each start asked of the server
  std::vector<double> Updater, Floor;
};

/// Every case installed in its own folder, with the program started as a host starts it.
class TQuietRounds {
public:
  /// Installs the cases, and makes the record of each Fresh case with a start that checks;
  /// throws std::runtime_error when any of it fails.
  TQuietRounds(const TQuietSetup &setup, std::vector<TQuietCase> cases);

  /// One round: for each case in turn, a start of its updater and a bare fetch, the fetch first
  /// in every other round. Throws std::runtime_error when a start strays from the quiet road.
  void Run(bool counted);
  const std::vector<TCaseSamples> &Samples() const { return fSamples; }

private:
  double TimeUpdater(size_t index);
  double TimeFetch();

  TQuietSetup fSetup;
  std::vector<TQuietCase> fCases;
  std::vector<TCaseSamples> fSamples;
  size_t fRounds = 0;
};
