// glimpage_win32.h: what the Windows layer of the pager offers beyond its
// platform table, for its tests.
#ifndef GLIMPAGE_WIN32_H
#define GLIMPAGE_WIN32_H

#include <stdint.h>

const int FailureTextSize = 32;

// The text of a failure box: the system's text for the code, or, when the
// system has none, "error <code>" written into fallback.
const char *failureText(const char *systemText, uint32_t code, char fallback[FailureTextSize]);

#endif
