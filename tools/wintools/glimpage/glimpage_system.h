// glimpage_system.h: the pager's system layer: standard streams and text
// files (glimpage_system.cc, alike on both platforms) and the screen, which
// each platform's file supplies: the Windows console
// (glimpage_system_win32.cc) or the terminal (glimpage_system_posix.cc).
#ifndef ORVI_GLIMPAGE_SYSTEM_H
#define ORVI_GLIMPAGE_SYSTEM_H

#include "glimpage_platform.h"

// The table of the system this program was built for; program names the
// program in its messages.
const PagerPlatform *systemPlatform(const char *program);

// The screen standard output may be (from the platform's file).
const PagerScreen *systemScreen();

// True when the script would have to be typed: standard input is a terminal
// natively (from the platform's file). A Windows console is read as always.
bool scriptIsTyped();

#endif
