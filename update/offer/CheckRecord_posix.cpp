#include "update/offer/CheckRecord.h"

// No user's store here: every start checks, every version is offered, and every rollout finds
// the user in its last group.
TCheckRecord StoredCheckRecord(const std::string &) { return {}; }
bool StoreCheckRecord(const std::string &, const TCheckRecord &) { return false; }
std::optional<uint64_t> RandomDraw() { return std::nullopt; }
