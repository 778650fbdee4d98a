// glimpage_terminal.h: the native build's console: a terminal, paged with
// termios and escape sequences (glimpage_terminal.cc).
#ifndef GLIMPAGE_TERMINAL_H
#define GLIMPAGE_TERMINAL_H

#include "glimpage_platform.h"

// Pages when standard output is a terminal and TERM is set and not "dumb";
// otherwise its getScreenInfo fails and the run writes overstruck text.
extern const ConsoleServices terminalConsole;

#endif
