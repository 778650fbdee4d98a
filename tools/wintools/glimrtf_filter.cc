// glimrtf_filter.cc: the state machine that turns overstruck text into RTF.
#include "glimrtf.h"

#include <string.h>

namespace {

const char documentHeader[] =
    "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss MS Sans Serif;}"
    "{\\f1\\froman\\fcharset2 Symbol;}{\\f2\\fmodern\\fprq1 Courier New;}"
    "{\\f3\\froman Times New Roman;}{\\f4\\froman Times New Roman;}}\n"
    "{\\colortbl\\red0\\green0\\blue0;}\n"
    "\\deflang1033\\pard";

struct ControlString {
    const char *text;
    size_t length;
};

#define CONTROL(s)                                                                                 \
    { s, sizeof(s) - 1 }

// Indexed by style code.
const ControlString styleStrings[] = {
    CONTROL("\\plain\\f2\\fs20\\b "),
    CONTROL("\\plain\\f2\\fs20\\b\\i "),
    CONTROL("\\plain\\f2\\fs20 "),
};

const ControlString tabString = CONTROL("\\tab ");
const ControlString lineEndString = CONTROL("\n\\par ");
// The zero byte that closes a complete document is part of its ending.
const ControlString completeEnd = {"\\par }\n", sizeof("\\par }\n")};
const ControlString earlyEnd = CONTROL("\n\\par }\n");

#undef CONTROL

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

// Room that one input event may need: a control string and an escaped byte.
const size_t eventRoom = 32;
static_assert(eventRoom <= rtfSinkMinimum, "an event must fit an empty sink");

void makeRoom(RtfSink *sink, size_t size) {
    if (sink->capacity - sink->used < size) sink->flush(sink);
}

// Appends without a room check; the caller made room for the whole event.
void append(RtfSink *sink, const char *data, size_t size) {
    memcpy(sink->buffer + sink->used, data, size);
    sink->used += size;
}

void appendString(RtfSink *sink, const ControlString &s) {
    append(sink, s.text, s.length);
}

// Appends text of any length, flushing as often as needed.
void appendLong(RtfSink *sink, const char *data, size_t size) {
    while (size > 0) {
        makeRoom(sink, 1);
        size_t chunk = sink->capacity - sink->used;
        if (chunk > size) chunk = size;
        append(sink, data, chunk);
        data += chunk;
        size -= chunk;
    }
}

void appendEscaped(RtfSink *sink, unsigned char c) {
    if (byteTable.of[c] == Escaped) sink->buffer[sink->used++] = '\\';
    sink->buffer[sink->used++] = static_cast<char>(c);
}

// Writes the character at hand, with the style change it calls for.
void putCharacter(RtfFilter *filter, unsigned char c, bool overstruck) {
    makeRoom(filter->sink, eventRoom);
    if (!overstruck && filter->currentStyle == BoldItalic) {
        setStyle(filter, filter->savedStyle);
    } else if (overstruck && filter->currentStyle != BoldItalic) {
        filter->savedStyle = filter->currentStyle;
        setStyle(filter, BoldItalic);
    } else if (overstruck && !filter->styleWritten) {
        // The run starts out assuming bold italic, so by the rules above an
        // overstruck character before any style string would follow the
        // header's "\pard" (and a letter would run into that control word)
        // or a tab, in the document's default face. Select it explicitly.
        setStyle(filter, BoldItalic);
    }
    appendEscaped(filter->sink, c);
}

// Copies a run of ordinary bytes while no style change is due; returns where
// the run stopped.
const unsigned char *copyPlainRun(RtfFilter *filter, const unsigned char *p,
                                  const unsigned char *end) {
    RtfSink *sink = filter->sink;
    while (p < end) {
        size_t room = sink->capacity - sink->used;
        if (room < eventRoom) {
            sink->flush(sink);
            room = sink->capacity - sink->used;
        }
        size_t left = static_cast<size_t>(end - p);
        const unsigned char *stop = room < left ? p + room : end;
        const unsigned char *start = p;
        while (p < stop && byteTable.of[*p] == Ordinary)
            ++p;
        append(sink, reinterpret_cast<const char *>(start), static_cast<size_t>(p - start));
        if (p < stop) break;
    }
    return p;
}

// Handles one byte outside an overstrike mark.
void takeByte(RtfFilter *filter, unsigned char c) {
    RtfSink *sink = filter->sink;
    switch (byteTable.of[c]) {
    case Tab:
        makeRoom(sink, eventRoom);
        appendString(sink, tabString);
        break;
    case LineFeed:
        makeRoom(sink, eventRoom);
        appendString(sink, lineEndString);
        setStyle(filter, Plain);
        break;
    case FormFeed:
        makeRoom(sink, eventRoom);
        setStyle(filter, Bold);
        break;
    case Underscore:
        filter->markBytes = 1;
        break;
    case Ordinary:
    case Escaped:
        putCharacter(filter, c, false);
        break;
    }
}

} // namespace

void setStyle(RtfFilter *filter, int code) {
    RtfSink *sink = filter->sink;
    const ControlString &s = styleStrings[code];
    makeRoom(sink, s.length);
    append(sink, s.text, s.length);
    filter->currentStyle = static_cast<RtfStyle>(code);
    filter->styleWritten = true;
}

void startRtf(RtfFilter *filter, RtfSink *sink) {
    filter->sink = sink;
    filter->currentStyle = BoldItalic;
    filter->savedStyle = Plain;
    filter->styleWritten = false;
    filter->markBytes = 0;
    appendLong(sink, documentHeader, sizeof(documentHeader) - 1);
}

void filterRtf(RtfFilter *filter, const unsigned char *data, size_t size) {
    const unsigned char *p = data;
    const unsigned char *end = data + size;
    while (p < end) {
        if (filter->markBytes == 1) {
            // An underscore was read: a backspace makes the next byte
            // overstruck, anything else leaves the underscore a plain
            // character and is then handled on its own.
            if (*p == backspace) {
                filter->markBytes = 2;
                ++p;
            } else {
                filter->markBytes = 0;
                putCharacter(filter, '_', false);
            }
            continue;
        }
        if (filter->markBytes == 2) {
            filter->markBytes = 0;
            putCharacter(filter, *p++, true);
            continue;
        }
        if (filter->currentStyle != BoldItalic) {
            p = copyPlainRun(filter, p, end);
            if (p == end) break;
        }
        takeByte(filter, *p++);
    }
}

void finishRtf(RtfFilter *filter) {
    RtfSink *sink = filter->sink;
    makeRoom(sink, eventRoom);
    if (filter->markBytes != 0) {
        appendString(sink, earlyEnd);
    } else {
        appendString(sink, completeEnd);
    }
    filter->markBytes = 0;
    sink->flush(sink);
}
