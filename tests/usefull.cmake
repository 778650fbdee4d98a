# Tests of usefull.
