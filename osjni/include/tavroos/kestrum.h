// The exported probe class of tavroos: the version-control tool Kestrum, the
// computer's name, network shares and UNC names, directory listings and the
// agent controller start. Strings are UTF-16 BStr values throughout.
//
// A program that uses the classes includes this header and links the DLL's
// import library; the code that defines them is built with TAVROOS_EXPORTS.
// The DLL links its C++ runtime statically, so the KestrumUnmanagedException
// its operations throw cannot be caught in another module (std::terminate).
#pragma once

#include <windows.h>

#include "tavroos/bstr.h"

#ifdef TAVROOS_EXPORTS
#define TAVROOS_API __declspec(dllexport)
#else
#define TAVROOS_API __declspec(dllimport)
#endif

namespace tavroos {

// The one exception type thrown inside tavroos; it carries nothing.
struct KestrumUnmanagedException {};

// One network share: its name as the network sees it and the local path it exports.
struct ShareRecord {
    BStr m_bstrName;
    BStr m_bstrPath;
};

// One directory entry: whether it is a directory, and its long name.
struct FStatRecord {
    bool m_bDirectory = false;
    BStr m_bstrName;
};
static_assert(sizeof(bool) == 1, "FStatRecord::m_bDirectory is an 8-bit bool");

// Path buffer that callers of MakeKestrumPath supply, in UTF-16 units.
constexpr DWORD kKestrumPathUnits = 260;

class TAVROOS_API CKestrum {
public:
    CKestrum() noexcept;
    CKestrum(const CKestrum&) noexcept;
    CKestrum& operator=(const CKestrum&) noexcept;

    // True when the tool's install directory can be read.
    virtual bool IsKestrumInstalled();
    virtual ~CKestrum();

    // The process-wide instance; made on first use, safely when threads race,
    // and never destroyed.
    static CKestrum& GetInstance() noexcept;

    // `buffer` holds kKestrumPathUnits units. True and the install directory in
    // it, or false and an empty buffer.
    bool MakeKestrumPath(wchar_t* buffer) noexcept;
    BStr GetKestrumPath();
    BStr GetHostname();

    // Shares whose security descriptor is valid, in enumeration order.
    int GetShareCount();
    // Fills at most `capacity` records; returns how many qualifying shares the
    // enumeration met, which differs from `capacity` when shares came or went
    // since the count.
    int GetShares(ShareRecord* records, int capacity);
    // The same for an array of exactly the count that GetShareCount last
    // returned on this thread; nothing is written beyond it.
    void GetShares(ShareRecord* records);
    BStr ToUNC(const BStr& path);

    // Entries of one directory, "." and ".." included; throws when the
    // directory cannot be listed.
    int GetFStatCount(const BStr& path);
    // Fills at most `capacity` records; returns how many entries the search met.
    int GetFStats(const BStr& path, FStatRecord* records, int capacity);
    // The same for an array of exactly the count that GetFStatCount last
    // returned on this thread; nothing is written beyond it.
    void GetFStats(const BStr& path, FStatRecord* records);

    // True when an agent controller server runs at the end; never throws.
    bool StartQAC() noexcept;

protected:
    static CKestrum* m_pKestrum;
};

// An exported type with no state and no behaviour.
class TAVROOS_API CTavroos {
public:
    CTavroos() noexcept;
    CTavroos& operator=(const CTavroos&) noexcept;
};

}  // namespace tavroos
