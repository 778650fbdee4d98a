#!/usr/bin/env python3
"""Writes a C-like listing of about SIZE megabytes and a highlight script for
it that highlights about a fifth of the listing's bytes (regions on about half
the lines), with tabs and a form feed now and then.

    gen_listing.py DIR SIZE_MB   ->  DIR/listing.c, DIR/listing.hls

A block of about one megabyte of lines is made once and repeated, so that
generating is quick; the script's line numbers run on through the repeats.
"""
import os
import random
import sys


def make_block(rng):
    words = ["int", "count", "return", "for", "while", "if", "else", "x", "y", "=",
             "+", "==", "(", ")", "{", "}", ";", "buffer[i]", "printf(\"%d\\n\", n)",
             "/* note */", "size_t", "struct node *", "->next", "0x1F", "42"]
    lines, regions, size = [], [], 0
    while size < 1 << 20:
        text = "\t" * rng.randint(0, 3) + " ".join(
            rng.choice(words) for _ in range(rng.randint(2, 14)))
        if len(lines) % 97 == 96:
            text = "\f" + text
        # Regions on about half the lines, each about 40% of its line.
        if rng.random() < 0.5 and len(text) > 4:
            length = max(1, int(len(text) * 0.4))
            start = rng.randint(1, len(text) - length + 1)
            regions.append((len(lines) + 1, start, start + length - 1))
        lines.append(text + "\n")
        size += len(text) + 1
    return "".join(lines), len(lines), regions


def main():
    out_dir, size_mb = sys.argv[1], float(sys.argv[2])
    block, block_lines, regions = make_block(random.Random(20))
    repeats = max(1, round(size_mb * (1 << 20) / len(block)))
    with open(os.path.join(out_dir, "listing.c"), "w", newline="\n") as f:
        for _ in range(repeats):
            f.write(block)
    with open(os.path.join(out_dir, "listing.hls"), "w", newline="\n") as f:
        f.write("h|listing.c\nt|\nf|listing.c\n")
        for r in range(repeats):
            offset = r * block_lines
            f.write("".join("+ %d %d\n- %d %d\n" % (offset + line, first, offset + line, last)
                            for line, first, last in regions))
    marked = sum(last - first + 1 for _, first, last in regions)
    print("listing: %d bytes, %d lines, %.0f%% of the bytes in regions"
          % (repeats * len(block), repeats * block_lines, 100.0 * marked / len(block)))


main()
