#include "portable.h"
