#!/usr/bin/env python3
"""Writes about MB megabytes of overstruck text, as glimpage writes it: lines
of source-like words, a fifth of the visible characters overstruck, a form
feed at the start of every 60th line.

    gen_overstruck.py PATH MB

One megabyte of varied lines is made once and repeated: generating is then
no slower than the programs measured.
"""
import random
import sys

path, mb = sys.argv[1], int(sys.argv[2])
rng = random.Random(7)
words = ("int count = 0; for (i = 0; i < n; i++) { total += table[i]; } "
         "return \\value; /* comment */ printf(\"%d\\n\", x); if (a && b) call(a, b);").split(" ")
chunk, size, lines = [], 0, 0
while size < 1 << 20:
    text = " ".join(rng.choice(words) for _ in range(rng.randint(2, 12)))
    line = bytearray()
    for c in text.encode():
        if c != 0x20 and rng.random() < 0.2:
            line += b"_\b"
        line.append(c)
    lines += 1
    if lines % 60 == 0:
        line = b"\f" + line
    chunk.append(bytes(line) + b"\n")
    size += len(chunk[-1])
block = b"".join(chunk)
with open(path, "wb") as f:
    for _ in range(mb):
        f.write(block)
