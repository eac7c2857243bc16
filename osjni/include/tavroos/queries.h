// Plain reads for the Java side: an environment variable and two registry
// values. Absence gives an empty string; nothing here throws but bad_alloc.
#pragma once

#include "tavroos/bstr.h"

namespace tavroos {

// The variable's whole value; empty when it is unset or set to "".
BStr ReadEnvironmentVariable(const BStr& name);
// Visual Studio 7.1's "InstallDir", else 8.0's, else empty.
BStr ReadNetInstallDir();
// The test product's "Quorel FT Net Assembly Name", else empty.
BStr ReadQftNetAssemblyName();

}  // namespace tavroos
