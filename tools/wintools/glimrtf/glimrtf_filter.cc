// glimrtf_filter.cc: the state machine that turns overstruck text into RTF.
#include "glimrtf.h"

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
// every other byte is copied as it is.
enum ByteClass : unsigned char { Ordinary, Tab, LineFeed, FormFeed, Underscore, Escaped };

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

constexpr ByteTable byteTable = makeByteTable();

const unsigned char backspace = 8;

// Control strings padded to a fixed size, so that writing one is a copy of
// constant length; only `length` bytes count.
struct PaddedString {
    char text[24];
    size_t length;
};

#define PADDED(s)                                                                                  \
    { s, sizeof(s) - 1 }

// Indexed by style code.
const PaddedString styleStrings[] = {
    PADDED("\\plain\\f2\\fs20\\b "),
    PADDED("\\plain\\f2\\fs20\\b\\i "),
    PADDED("\\plain\\f2\\fs20 "),
};
const PaddedString tabString = PADDED("\\tab ");

const char header[] = HEADER_FONTS "\n" HEADER_COLOURS "\n" HEADER_PARAGRAPH;
const PaddedString lineEnd = PADDED("\n\\par ");
const PaddedString documentEnd = {"\\par }\n", sizeof "\\par }\n"}; // its zero byte included

#undef PADDED

// Room that one input event may touch: a line end and a padded style string,
// or a padded style string and an escaped byte.
const size_t eventRoom = 2 * sizeof(PaddedString::text);
static_assert(eventRoom <= rtfSinkMinimum, "an event must fit an empty sink");

// The sink's write position and the style state, held in locals while a
// block is converted: the compiler need not reload them after every byte
// stored through a char pointer.
struct Cursor {
    RtfSink *sink;
    char *out;
    char *roomEnd; // while out <= roomEnd, one event fits
    RtfStyle current;
    RtfStyle saved;
    bool styleWritten;
};

void openCursor(Cursor &c, RtfFilter *filter) {
    RtfSink *sink = filter->sink;
    c.sink = sink;
    c.out = sink->buffer + sink->used;
    c.roomEnd = sink->buffer + (sink->capacity - eventRoom);
    c.current = filter->currentStyle;
    c.saved = filter->savedStyle;
    c.styleWritten = filter->styleWritten;
}

void closeCursor(const Cursor &c, RtfFilter *filter) {
    c.sink->used = static_cast<size_t>(c.out - c.sink->buffer);
    filter->currentStyle = c.current;
    filter->savedStyle = c.saved;
    filter->styleWritten = c.styleWritten;
}

void flushCursor(Cursor &c) {
    c.sink->used = static_cast<size_t>(c.out - c.sink->buffer);
    c.sink->flush(c.sink);
    c.out = c.sink->buffer + c.sink->used;
}

inline void makeRoom(Cursor &c) {
    if (c.out > c.roomEnd) flushCursor(c);
}

inline void put(Cursor &c, const PaddedString &s) {
    memcpy(c.out, s.text, sizeof s.text);
    c.out += s.length;
}

inline void putStyle(Cursor &c, RtfStyle style) {
    put(c, styleStrings[style]);
    c.current = style;
    c.styleWritten = true;
}

// Writes the character at hand, with the style change it calls for.
inline void putCharacter(Cursor &c, unsigned char ch, bool overstruck) {
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
    if (byteTable.of[ch] == Escaped) *c.out++ = '\\';
    *c.out++ = static_cast<char>(ch);
}

// Finishes an overstrike mark that the previous block left open; returns
// where the block's own bytes start.
const unsigned char *finishMark(Cursor &c, RtfFilter *filter, const unsigned char *p,
                                const unsigned char *end) {
    if (filter->markBytes == 1 && p < end) {
        if (*p != backspace) {
            // Not a mark: a plain underscore, and the byte is handled on its own.
            filter->markBytes = 0;
            putCharacter(c, '_', false);
            return p;
        }
        filter->markBytes = 2;
        ++p;
    }
    if (filter->markBytes == 2 && p < end) {
        filter->markBytes = 0;
        putCharacter(c, *p++, true);
    }
    return p;
}

} // namespace

void setStyle(RtfFilter *filter, int code) {
    Cursor c;
    openCursor(c, filter);
    makeRoom(c);
    putStyle(c, static_cast<RtfStyle>(code));
    closeCursor(c, filter);
}

void startRtf(RtfFilter *filter, RtfSink *sink) {
    filter->sink = sink;
    filter->currentStyle = BoldItalic;
    filter->savedStyle = Plain;
    filter->styleWritten = false;
    filter->markBytes = 0;
    const char *text = header;
    size_t size = sizeof header - 1;
    while (size > 0) {
        if (sink->used == sink->capacity) sink->flush(sink);
        size_t chunk = sink->capacity - sink->used;
        if (chunk > size) chunk = size;
        memcpy(sink->buffer + sink->used, text, chunk);
        sink->used += chunk;
        text += chunk;
        size -= chunk;
    }
}

void filterRtf(RtfFilter *filter, const unsigned char *data, size_t size) {
    Cursor c;
    openCursor(c, filter);
    const unsigned char *end = data + size;
    const unsigned char *p = finishMark(c, filter, data, end);
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
            put(c, tabString);
            ++p;
            break;
        case LineFeed:
            makeRoom(c);
            put(c, lineEnd);
            putStyle(c, Plain);
            ++p;
            break;
        case FormFeed:
            makeRoom(c);
            putStyle(c, Bold);
            ++p;
            break;
        case Underscore:
            if (end - p >= 3 && p[1] == backspace) {
                putCharacter(c, p[2], true);
                p += 3;
            } else if (end - p >= 2 && p[1] != backspace) {
                putCharacter(c, '_', false);
                ++p;
            } else {
                // The block ends inside a possible mark: the next block decides.
                filter->markBytes = static_cast<int>(end - p);
                p = end;
            }
            break;
        }
    }
    closeCursor(c, filter);
}

void finishRtf(RtfFilter *filter) {
    Cursor c;
    openCursor(c, filter);
    // A mark the input never finished is the plain text it is.
    if (filter->markBytes >= 1) putCharacter(c, '_', false);
    if (filter->markBytes == 2) putCharacter(c, backspace, false);
    filter->markBytes = 0;
    makeRoom(c);
    put(c, documentEnd);
    closeCursor(c, filter);
    filter->sink->flush(filter->sink);
}
