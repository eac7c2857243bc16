// Directory listings: one pass over a directory's entries, the record made of
// each, and the listing in one pass for a caller that cannot know the count
// beforehand (the last resort of a listing whose two passes keep disagreeing).
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "tavroos/kestrum.h"

namespace tavroos {

// How a search is begun: FindFirstFileW, or a stand-in that sees the pattern.
using FindFirstQuery = HANDLE(WINAPI*)(LPCWSTR pattern, LPWIN32_FIND_DATAW data);

// One pass over the entries of `path`: `visit` sees each one, with its index,
// in the order the file system gives them. Returns how many it met; throws
// KestrumUnmanagedException when the directory cannot be listed to its end.
// A path whose pattern would not fit MAX_PATH is searched in its extended form.
int ForEachEntry(const BStr& path, const std::function<void(int, const WIN32_FIND_DATAW&)>& visit,
                 FindFirstQuery findFirst = ::FindFirstFileW);

// The record of one entry: whether it is a directory, and its long name.
FStatRecord EntryRecord(const WIN32_FIND_DATAW& data);

// Every entry of `path` that the search meets, in the order found; throws
// KestrumUnmanagedException as CKestrum::GetFStats does.
std::vector<FStatRecord> CollectFStats(const BStr& path);

}  // namespace tavroos
