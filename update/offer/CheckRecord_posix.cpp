#include "update/offer/CheckRecord.h"

// No user's store here: every start checks, and every version is offered.
TCheckRecord StoredCheckRecord(const std::string &) { return {}; }
void StoreCheckRecord(const std::string &, const TCheckRecord &) {}
