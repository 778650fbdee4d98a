#!/usr/bin/env python3
"""Writes about MB megabytes of overstruck text, as glimpage writes it: lines
of source-like words, a fifth of the visible characters overstruck, a form
feed at the start of every 60th line. With "utf8" the words hold Greek,
Cyrillic and CJK characters, in UTF-8, each marked whole.

    gen_overstruck.py PATH MB [utf8]

One megabyte of varied lines is made once and repeated: generating is then
no slower than the programs measured.
"""
import random
import sys

path, mb = sys.argv[1], int(sys.argv[2])
rng = random.Random(7)
words = ("int count = 0; for (i = 0; i < n; i++) { total += table[i]; } "
         "return \\value; /* comment */ printf(\"%d\\n\", x); if (a && b) call(a, b);").split(" ")
if sys.argv[3:] == ["utf8"]:
    words = ("int πλήθος = 0; /* σύνολο */ for (i = 0; i < n; i++) { 合計 += 表[i]; } "
             "return \"значение\"; // 漢字の注釈 printf(\"%d\\n\", x); if (α && β) 呼ぶ(α, β);").split(" ")
chunk, size, lines = [], 0, 0
while size < 1 << 20:
    text = " ".join(rng.choice(words) for _ in range(rng.randint(2, 12)))
    line = bytearray()
    for c in text:
        if c != " " and rng.random() < 0.2:
            line += b"_\b"
        line += c.encode()
    lines += 1
    if lines % 60 == 0:
        line = b"\f" + line
    chunk.append(bytes(line) + b"\n")
    size += len(chunk[-1])
block = b"".join(chunk)
with open(path, "wb") as f:
    for _ in range(mb):
        f.write(block)
