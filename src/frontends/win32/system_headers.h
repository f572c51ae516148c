// SPDX-License-Identifier: MIT
#pragma once

// The system's headers as the window includes them: windows.h without the macros
// that would rename the program's own functions (the platform has a MessageBox of
// its own; the system's is called as MessageBoxW).
#include <windows.h>
#undef MessageBox
