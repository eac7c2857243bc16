// Directory listing in one pass, for a caller that cannot know the count
// beforehand: the last resort of a listing whose two passes keep disagreeing.
#pragma once

#include <vector>

#include "tavroos/kestrum.h"

namespace tavroos {

// Every entry of `path` that the search meets, in the order found; throws
// KestrumUnmanagedException as CKestrum::GetFStats does.
std::vector<FStatRecord> CollectFStats(const BStr& path);

}  // namespace tavroos
