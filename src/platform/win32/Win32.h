#pragma once
// windows.h for the shell's sources. It defines FormatMessage as a macro for its A/W functions, which would
// rename the runtime's message formatter of qv/Errors.h; the shell never calls the system's.
#include <windows.h>
#undef FormatMessage
