# Targets of glimpage.
