# Tests of orviinst.
