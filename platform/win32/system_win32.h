// The Win32 system header, for every file of the Win32 backend.
#pragma once

#include <windows.h>

// winnt.h defines FILE_OPEN as a constant of the native API, which would
// replace the file service of that name.
#undef FILE_OPEN
