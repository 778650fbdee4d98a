# Targets of orviinst.
