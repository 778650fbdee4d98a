# Tests of wideconv.
