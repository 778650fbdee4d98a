// usefull_win32.h: the support library's services that stand on the registry
// configuration (usefull_win32.cc): the suite's library directory, paths of
// files inside it, and an environment lookup that falls back on the ORVI_
// values of the configuration key. Windows only; the process-wide state
// behind them is unguarded, for single-threaded programs.
#ifndef ORVI_USEFULL_WIN32_H
#define ORVI_USEFULL_WIN32_H

// The ORVILIB value of the configuration key. Ends the process with a message
// on standard error and status 1 when it cannot be read.
char *libraryDirectory();

// Paths inside the library directory, in one process-wide 1024-byte buffer:
// the short directory, or with a name the directory, a backslash and the name.
// The directory is read once; an empty ORVILIB gives "orvilib". A path that
// would not fit ends the process with a message and status 1. The OrExit form
// ends the process silently with status 1 when ORVILIB is empty.
char *libraryPath(const char *name);
char *libraryPathOrExit(const char *name);

// The process environment first, then the ORVI_ values of the configuration
// key. Never null: "" when neither has the name.
char *configGetenv(const char *name);
// Fills the table behind configGetenv once per process: "NAME=data" entries
// ended by a null slot. A failure shows its box and is not retried.
void loadConfigEnvironment();

#endif
