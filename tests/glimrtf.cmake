# Tests of glimrtf.
