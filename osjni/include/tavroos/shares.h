// The network calls behind shares and UNC names, as a seam: the system's
// NetShareEnum, NetApiBufferFree and WNetGetUniversalNameW, or a stand-in.
#pragma once

#include <windows.h>
#include <lm.h>

#include <functional>
#include <vector>

#include "tavroos/kestrum.h"

namespace tavroos {

struct NetApi {
    std::function<NET_API_STATUS(LMSTR server, DWORD level, LPBYTE* buffer, DWORD preferredMaximum, LPDWORD entriesRead,
                                 LPDWORD totalEntries, LPDWORD resumeHandle)>
        shareEnum;
    std::function<NET_API_STATUS(LPVOID buffer)> bufferFree;
    std::function<DWORD(LPCWSTR localPath, DWORD infoLevel, LPVOID buffer, LPDWORD bufferSize)> universalName;
};

const NetApi& SystemNetApi();

// Number of shares with a valid security descriptor.
int CountShares(const NetApi& api);
// Fills at most `capacity` records; returns the number of qualifying shares met.
int FillShares(const NetApi& api, ShareRecord* records, int capacity);
// Every qualifying share in one pass, in enumeration order, however many.
std::vector<ShareRecord> CollectShares(const NetApi& api);
// The UNC form of `path`; KestrumUnmanagedException on any failure.
BStr UniversalName(const NetApi& api, const BStr& path);

}  // namespace tavroos
