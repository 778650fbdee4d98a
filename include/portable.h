// portable.h: the support library's common header: everything of it that
// builds on every platform, the configuration version and its key path
// (version.h) and the general utilities (usefull.h). What only Windows has,
// the registry store and the environment behind it, is in config_win32.h and
// usefull_win32.h.
#ifndef ORVI_PORTABLE_H
#define ORVI_PORTABLE_H

#include "usefull.h"
#include "version.h"

#endif
