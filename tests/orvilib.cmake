# Tests of orvilib.
