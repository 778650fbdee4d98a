# Targets of orvilib.
