# Targets of glimrtf.
