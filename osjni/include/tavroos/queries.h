// Plain reads for the Java side: an environment variable and two registry
// values. Absence gives an empty string; nothing here throws but bad_alloc.
#pragma once

#include "tavroos/bstr.h"

namespace tavroos {

// How a variable is read: GetEnvironmentVariableW, or a stand-in that answers
// as it does (the value's length, or the room it needs when it does not fit).
using EnvironmentQuery = DWORD(WINAPI*)(LPCWSTR name, LPWSTR buffer, DWORD units);

// The variable's whole value; empty when it is unset or set to "", and when
// it keeps growing faster than it can be read.
BStr ReadEnvironmentVariable(const BStr& name, EnvironmentQuery query = ::GetEnvironmentVariableW);
// Visual Studio 7.1's "InstallDir", else 8.0's, else empty.
BStr ReadNetInstallDir();
// The test product's "Quorel FT Net Assembly Name", else empty.
BStr ReadQftNetAssemblyName();

}  // namespace tavroos
