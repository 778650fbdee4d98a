#!/usr/bin/env python3
"""Writes a C-like listing of about SIZE megabytes and a highlight script for
it that highlights about a fifth of the listing's bytes (regions on about half
the lines), with tabs and a form feed now and then.

    gen_listing.py DIR SIZE_MB [utf8]   ->  DIR/listing.c, DIR/listing.hls

With "utf8" a third of the words are Greek, Cyrillic or CJK, in UTF-8, and
the regions begin and end on whole characters.

A block of about one megabyte of lines is made once and repeated, so that
generating is quick; the script's line numbers run on through the repeats.
"""
import os
import random
import sys


def make_block(rng, utf8):
    words = ["int", "count", "return", "for", "while", "if", "else", "x", "y", "=",
             "+", "==", "(", ")", "{", "}", ";", "buffer[i]", "printf(\"%d\\n\", n)",
             "/* note */", "size_t", "struct node *", "->next", "0x1F", "42"]
    if utf8:
        words += ["\u03c0\u03bb\u03ae\u03b8\u03bf\u03c2", "/* \u03c3\u03cd\u03bd\u03bf\u03bb\u03bf */",
                  "\u5408\u8a08", "\u8868[i]", "\"\u0437\u043d\u0430\u0447\u0435\u043d\u0438\u0435\"",
                  "// \u6f22\u5b57\u306e\u6ce8\u91c8", "\u03b1", "\u03b2", "\u547c\u3076(\u03b1)",
                  "\u0441\u0447\u0451\u0442", "\u6570", "\u03bc\u03ad\u03b3\u03b5\u03b8\u03bf\u03c2"]
    lines, regions, size = [], [], 0
    while size < 1 << 20:
        text = "\t" * rng.randint(0, 3) + " ".join(
            rng.choice(words) for _ in range(rng.randint(2, 14)))
        if len(lines) % 97 == 96:
            text = "\f" + text
        # Regions on about half the lines, each about 40% of its line, from
        # the byte where a character begins to the byte where one ends.
        if rng.random() < 0.5 and len(text) > 4:
            length = max(1, int(len(text) * 0.4))
            start = rng.randint(0, len(text) - length)
            first = len(text[:start].encode()) + 1
            regions.append((len(lines) + 1, first, len(text[:start + length].encode())))
        lines.append(text + "\n")
        size += len(text.encode()) + 1
    return "".join(lines), len(lines), regions


def main():
    out_dir, size_mb = sys.argv[1], float(sys.argv[2])
    block, block_lines, regions = make_block(random.Random(20), sys.argv[3:] == ["utf8"])
    block = block.encode()
    repeats = max(1, round(size_mb * (1 << 20) / len(block)))
    with open(os.path.join(out_dir, "listing.c"), "wb") as f:
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
