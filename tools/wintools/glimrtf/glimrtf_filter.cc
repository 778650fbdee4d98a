// glimrtf_filter.cc: the state machine that turns overstruck text into RTF.
#include "glimrtf_filter.h"

#include <stdint.h>
#include <string.h>

namespace {

// The header's three lines; the last one has no line end.
#define HEADER_FONTS                                                                               \
    "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss MS Sans Serif;}"                       \
    "{\\f1\\froman\\fcharset2 Symbol;}{\\f2\\fmodern\\fprq1 Courier New;}"                         \
    "{\\f3\\froman Times New Roman;}{\\f4\\froman Times New Roman;}}"
#define HEADER_COLOURS "{\\colortbl\\red0\\green0\\blue0;}"
#define HEADER_PARAGRAPH "\\deflang1033\\pard"

// Bytes that the main loop treats specially when they are not overstruck;
// every other byte is copied as it is. A byte of class Encoded starts a
// character that the character model reads: natively every byte from 0x80
// on, on Windows a lead byte of a double-byte code page.
enum ByteClass : unsigned char { Ordinary, Tab, LineFeed, FormFeed, Underscore, Escaped, Encoded };

struct ByteTable {
    ByteClass of[256];
};

constexpr ByteTable makeByteTable() {
    ByteTable table{};
    for (int i = 0; i < 256; ++i)
        table.of[i] = Ordinary;
    table.of[static_cast<unsigned char>('\t')] = Tab;
    table.of[static_cast<unsigned char>('\n')] = LineFeed;
    table.of[static_cast<unsigned char>('\f')] = FormFeed;
    table.of[static_cast<unsigned char>('_')] = Underscore;
    table.of[static_cast<unsigned char>('\\')] = Escaped;
    table.of[static_cast<unsigned char>('{')] = Escaped;
    table.of[static_cast<unsigned char>('}')] = Escaped;
    return table;
}

// The ASCII half is fixed; startRtf sets the rest from the character model.
ByteTable byteTable = makeByteTable();

const unsigned char Backspace = 8;

// Control strings padded to a fixed size, so that writing one is a copy of
// constant length; only `length` bytes count.
struct PaddedString {
    char text[24];
    size_t length;
};

#define PADDED(s)                                                                                  \
    { s, sizeof(s) - 1 }

// Indexed by style code.
const PaddedString StyleStrings[] = {
    PADDED("\\plain\\f2\\fs20\\b "),
    PADDED("\\plain\\f2\\fs20\\b\\i "),
    PADDED("\\plain\\f2\\fs20 "),
};
const PaddedString TabString = PADDED("\\tab ");

const char RtfHeader[] = HEADER_FONTS "\n" HEADER_COLOURS "\n" HEADER_PARAGRAPH;
const PaddedString LineEnd = PADDED("\n\\par ");
const PaddedString DocumentEnd = {"\\par }\n", sizeof "\\par }\n"}; // its zero byte included

#undef PADDED

// Room that one input event may touch: a line end and a padded style string,
// or a padded style string and an escaped character (at most two "\u-NNNNN?").
const size_t EventRoom = 2 * sizeof(PaddedString::text);
static_assert(EventRoom <= RtfSinkMinimum, "an event must fit an empty sink");

// The sink's write position and the style state, held in locals while a
// block is converted (SinkCursor).
struct Cursor : SinkCursor {
    RtfStyle current;
    RtfStyle saved;
    bool styleWritten;
};

void openCursor(Cursor &c, RtfFilter *filter) {
    openSinkCursor(c, filter->sink, EventRoom);
    c.current = filter->currentStyle;
    c.saved = filter->savedStyle;
    c.styleWritten = filter->styleWritten;
}

void closeCursor(const Cursor &c, RtfFilter *filter) {
    closeSinkCursor(c);
    filter->currentStyle = c.current;
    filter->savedStyle = c.saved;
    filter->styleWritten = c.styleWritten;
}

inline void put(Cursor &c, const PaddedString &s) {
    memcpy(c.out, s.text, sizeof s.text);
    c.out += s.length;
}

inline void putStyle(Cursor &c, RtfStyle style) {
    put(c, StyleStrings[style]);
    c.current = style;
    c.styleWritten = true;
}

// Makes room for the character at hand and writes the style change it calls for.
inline void startCharacter(Cursor &c, bool overstruck) {
    makeRoom(c);
    if (!overstruck) {
        if (c.current == BoldItalic) putStyle(c, c.saved);
    } else if (c.current != BoldItalic) {
        c.saved = c.current;
        putStyle(c, BoldItalic);
    } else if (!c.styleWritten) {
        // The run starts out assuming bold italic, so by the rules above an
        // overstruck character before any style string would follow the
        // header's "\pard" (and a letter would run into that control word)
        // or a tab, in the document's default face. Select it explicitly.
        putStyle(c, BoldItalic);
    }
}

// Writes the single-byte character at hand, with the style change it calls for.
inline void putCharacter(Cursor &c, unsigned char ch, bool overstruck) {
    startCharacter(c, overstruck);
    if (byteTable.of[ch] == Escaped) *c.out++ = '\\';
    *c.out++ = static_cast<char>(ch);
}

// The writers of characters beyond ASCII take and return the output position
// rather than the cursor, which then stays in registers in the main loop.
char *putHexByte(char *out, unsigned char byte) {
    const char digits[] = "0123456789abcdef";
    *out++ = '\\';
    *out++ = '\'';
    *out++ = digits[byte >> 4];
    *out++ = digits[byte & 15];
    return out;
}

// "\uN?" for a UTF-16 unit: N is signed 16-bit, as RTF wants it; "?" is
// the one fallback byte that readers without Unicode show instead.
char *putUnicodeUnit(char *out, uint32_t unit) {
    int value = unit > 0x7FFF ? static_cast<int>(unit) - 0x10000 : static_cast<int>(unit);
    *out++ = '\\';
    *out++ = 'u';
    if (value < 0) *out++ = '-';
    unsigned magnitude = static_cast<unsigned>(value < 0 ? -value : value);
    char digits[5];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    while (count > 0)
        *out++ = digits[--count];
    *out++ = '?';
    return out;
}

// Writes a character that the character model read at p.
char *putEncoded(char *out, const unsigned char *p, const Character &ch) {
    if (RtfKeepsBytes) {
        *out++ = static_cast<char>(p[0]);
        if (ch.length == 2 && byteTable.of[p[1]] == Escaped) return putHexByte(out, p[1]);
        if (ch.length == 2) *out++ = static_cast<char>(p[1]);
        return out;
    }
    if (ch.kind == CharacterKind::Invalid) return putHexByte(out, p[0]);
    if (ch.code <= 0xFFFF) return putUnicodeUnit(out, ch.code);
    out = putUnicodeUnit(out, 0xD800 + ((ch.code - 0x10000) >> 10));
    return putUnicodeUnit(out, 0xDC00 + (ch.code & 0x3FF));
}

// Keeps [p, end) for the next block: the event there needs bytes beyond it.
const unsigned char *hold(RtfFilter *filter, const unsigned char *p, const unsigned char *end) {
    filter->heldBytes = static_cast<int>(end - p);
    memcpy(filter->held, p, static_cast<size_t>(end - p));
    return end;
}

// Converts the events in [p, end); one that needs bytes beyond end is held
// for the next block (only without atEnd). The cursor is a local of its own
// here, so that the compiler keeps it in registers.
void convert(RtfFilter *filter, const unsigned char *p, const unsigned char *end, bool atEnd) {
    Cursor c;
    openCursor(c, filter);
    while (p < end) {
        unsigned char ch = *p;
        switch (byteTable.of[ch]) {
        case Ordinary:
            putCharacter(c, ch, false);
            ++p;
            // The style is settled now: copy the rest of the run as it is.
            while (p < end && c.out <= c.roomEnd && byteTable.of[*p] == Ordinary)
                *c.out++ = static_cast<char>(*p++);
            break;
        case Escaped:
            putCharacter(c, ch, false);
            ++p;
            break;
        case Tab:
            makeRoom(c);
            put(c, TabString);
            ++p;
            break;
        case LineFeed:
            makeRoom(c);
            put(c, LineEnd);
            putStyle(c, Plain);
            ++p;
            break;
        case FormFeed:
            makeRoom(c);
            putStyle(c, Bold);
            ++p;
            break;
        case Underscore:
            if (end - p >= 3 && p[1] == Backspace && byteTable.of[p[2]] != Encoded) {
                putCharacter(c, p[2], true);
                p += 3;
            } else if (end - p >= 3 && p[1] == Backspace) {
                Character marked;
                int length = readCharacter(p + 2, static_cast<size_t>(end - p - 2), atEnd, &marked);
                if (length == 0) {
                    p = hold(filter, p, end);
                    break;
                }
                startCharacter(c, true);
                c.out = putEncoded(c.out, p + 2, marked);
                p += 2 + length;
            } else if (end - p >= 2 && p[1] != Backspace) {
                putCharacter(c, '_', false);
                ++p;
            } else if (!atEnd) {
                p = hold(filter, p, end); // the next block decides
            } else {
                // A mark the input never finished is the plain text it is.
                putCharacter(c, '_', false);
                ++p;
            }
            break;
        case Encoded: {
            Character plain;
            int length = readCharacter(p, static_cast<size_t>(end - p), atEnd, &plain);
            if (length == 0) {
                p = hold(filter, p, end);
                break;
            }
            startCharacter(c, false);
            c.out = putEncoded(c.out, p, plain);
            p += length;
            break;
        }
        }
    }
    closeCursor(c, filter);
}

} // namespace

void setStyle(RtfFilter *filter, int code) {
    Cursor c;
    openCursor(c, filter);
    makeRoom(c);
    putStyle(c, static_cast<RtfStyle>(code));
    closeCursor(c, filter);
}

void startRtf(RtfFilter *filter, BlockSink *sink) {
    for (int byte = 0x80; byte < 256; ++byte) {
        bool encoded =
            !RtfKeepsBytes || byteKind(static_cast<unsigned char>(byte)) == CharacterKind::Lead;
        byteTable.of[byte] = encoded ? Encoded : Ordinary;
    }
    filter->sink = sink;
    filter->currentStyle = BoldItalic;
    filter->savedStyle = Plain;
    filter->styleWritten = false;
    filter->heldBytes = 0;
    putToSink(sink, RtfHeader, sizeof RtfHeader - 1);
}

void filterRtf(RtfFilter *filter, const unsigned char *data, size_t size) {
    const unsigned char *p = data, *end = data + size;
    // Held bytes go first, joined with the next bytes of this block; what is
    // still undecided at the end of that is held again.
    while (filter->heldBytes > 0 && p < end) {
        unsigned char joint[2 * RtfHeldMaximum];
        size_t held = static_cast<size_t>(filter->heldBytes);
        size_t left = static_cast<size_t>(end - p);
        size_t taken = left < RtfHeldMaximum ? left : RtfHeldMaximum;
        memcpy(joint, filter->held, held);
        memcpy(joint + held, p, taken);
        filter->heldBytes = 0;
        convert(filter, joint, joint + held + taken, false);
        p += taken;
    }
    convert(filter, p, end, false);
}

void finishRtf(RtfFilter *filter) {
    unsigned char rest[RtfHeldMaximum];
    size_t size = static_cast<size_t>(filter->heldBytes);
    memcpy(rest, filter->held, size);
    filter->heldBytes = 0;
    convert(filter, rest, rest + size, true);
    Cursor c;
    openCursor(c, filter);
    makeRoom(c);
    put(c, DocumentEnd);
    closeCursor(c, filter);
    filter->sink->flush(filter->sink);
}
