#pragma once

class TApplication;

/// While it lives, a failure that nothing handles does not end the program without a word where
/// it shows itself (TApplication::ShowsNothing is false): an exception that escapes a thread and a
/// crash (an exception of the processor or the system that no handler takes) show a box captioned
/// with the application's title before the program ends. An escaped exception ends it with exit
/// code 3, as the runtime's own end does; a crash with its own code where a box was shown, and
/// with 3 where nothing may be shown, which then stays so: no report of the system's either. One
/// at a time, made after application and gone before it.
class TUnforeseenEndReport {
public:
  explicit TUnforeseenEndReport(const TApplication &application);
  ~TUnforeseenEndReport();
  TUnforeseenEndReport(const TUnforeseenEndReport &) = delete;
  TUnforeseenEndReport &operator=(const TUnforeseenEndReport &) = delete;
};
