// Directory listings: one pass over a directory's entries, the record made of
// each, and the listing in one pass for a caller that cannot know the count
// beforehand (the last resort of a listing whose two passes keep disagreeing).
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "tavroos/kestrum.h"

namespace tavroos {

// One pass over the entries of `path`: `visit` sees each one, with its index,
// in the order the file system gives them. Returns how many it met; throws
// KestrumUnmanagedException when the directory cannot be listed to its end.
int ForEachEntry(const BStr& path, const std::function<void(int, const WIN32_FIND_DATAW&)>& visit);

// The record of one entry: whether it is a directory, and its long name.
FStatRecord EntryRecord(const WIN32_FIND_DATAW& data);

// Every entry of `path` that the search meets, in the order found; throws
// KestrumUnmanagedException as CKestrum::GetFStats does.
std::vector<FStatRecord> CollectFStats(const BStr& path);

}  // namespace tavroos
