# Targets of wideconv.
