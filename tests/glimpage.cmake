# Tests of glimpage.
