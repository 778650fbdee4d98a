// glimhtml_filter.cc: the state machine that turns overstruck text into a
// web page, and the page around it.
#include "glimhtml_filter.h"

#include "characters.h"

#include <string.h>

namespace {

// Everything before the title. The content security policy forbids anything
// but the inline style sheet: should some text ever get past the escapes, it
// still could not run a script or fetch a thing.
const char PageStart[] = "<!DOCTYPE html>\n"
                         "<html>\n"
                         "<head>\n"
                         "<meta charset=\"utf-8\">\n"
                         "<meta name=\"color-scheme\" content=\"light dark\">\n"
                         "<meta http-equiv=\"Content-Security-Policy\""
                         " content=\"default-src 'none'; style-src 'unsafe-inline'\">\n"
                         "<title>";

// Line numbers are generated content in the left padding: shown, linked by
// their line's id, never copied with the text. The dark scheme is for
// screens only: printers leave out backgrounds, and light text would vanish.
// Every colour pair reads at a contrast of 4.5:1 or more.
const char PageStyle[] =
    "</title>\n"
    "<style>\n"
    "body{margin:0;counter-reset:line;color:#1f1f1f;background:#fff}\n"
    "pre{margin:0;padding:0 1ch 0 8ch;white-space:pre;tab-size:8}\n"
    "pre+pre{break-before:page}\n"
    "span[id]::before{counter-increment:line;content:counter(line);display:inline-block;"
    "width:6ch;margin:0 1ch 0 -7ch;text-align:right;color:#6e6e6e}\n"
    "span:target{background:#dde9ff}\n"
    "span:target::before{color:inherit;font-weight:bold}\n"
    "mark{font-weight:bold;font-style:italic;color:inherit;background:#ffe9a0}\n"
    ".c{color:#a8201a}\n"
    "@media screen{pre+pre{border-top:1px dashed #6e6e6e}}\n"
    "@media print{pre{white-space:pre-wrap}}\n"
    "@media screen and (prefers-color-scheme:dark){\n"
    "body{color:#e4e4e4;background:#1c1c1c}\n"
    "span[id]::before{color:#9a9a9a}\n"
    "span:target{background:#1f3658}\n"
    "mark{background:#5c4813}\n"
    ".c{color:#ffb4a8}}\n"
    "</style>\n"
    "</head>\n"
    "<body>\n";

const char PageEnd[] = "</body>\n</html>\n";

// What the main loop does with each byte at a character start.
enum ByteClass : unsigned char {
    Copied,     // ASCII printable and safe: copied as it is
    Escaped,    // & < >
    Underscore, // maybe the start of a mark
    Tab,
    LineFeed,
    FormFeed,
    CarriageReturn, // shown, unless it ends a line
    Control,        // other C0 controls and DEL
    Beyond,         // 0x80 and up: the character model reads it
};

struct ByteTable {
    ByteClass of[256];
};

constexpr ByteTable makeByteTable() {
    ByteTable table{};
    for (int i = 0; i < 256; ++i)
        table.of[i] = i >= 0x80 ? Beyond : i < 0x20 || i == 0x7F ? Control : Copied;
    table.of[static_cast<unsigned char>('&')] = Escaped;
    table.of[static_cast<unsigned char>('<')] = Escaped;
    table.of[static_cast<unsigned char>('>')] = Escaped;
    table.of[static_cast<unsigned char>('_')] = Underscore;
    table.of[static_cast<unsigned char>('\t')] = Tab;
    table.of[static_cast<unsigned char>('\n')] = LineFeed;
    table.of[static_cast<unsigned char>('\f')] = FormFeed;
    table.of[static_cast<unsigned char>('\r')] = CarriageReturn;
    return table;
}

constexpr ByteTable ByteClasses = makeByteTable();

const unsigned char Backspace = 8;

// Room that one input event may take: opening a page and a numbered line,
// closing and opening runs, and the longest shown form of a character.
const size_t EventRoom = 128;
static_assert(EventRoom <= HtmlSinkMinimum / 2, "an event must fit an empty sink");
static_assert(HeldCapacity >= 2 * (2 + MaxCharacterBytes), "a mark and a character, twice");

template <size_t N> inline void put(char *&out, const char (&text)[N]) {
    memcpy(out, text, N - 1);
    out += N - 1;
}

// The first byte of a UTF-8 sequence, by the count of bytes after it.
const unsigned char Utf8Leads[] = {0, 0xC0, 0xE0, 0xF0};

void putUtf8(char *&out, uint32_t code) {
    if (code < 0x80) {
        *out++ = static_cast<char>(code);
        return;
    }
    int trail = code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
    *out++ = static_cast<char>(Utf8Leads[trail] | code >> (6 * trail));
    while (trail-- > 0)
        *out++ = static_cast<char>(0x80 | ((code >> (6 * trail)) & 0x3F));
}

// A control as the terminal shows it (escapedForm): ^[ and ^? for C0
// controls and DEL, else its code point, <U+009B>, its angle brackets escaped.
void putControl(char *&out, const Character &character) {
    char form[EscapedFormSize];
    int length = escapedForm(character, 0, form);
    for (int i = 0; i < length; i++) {
        if (form[i] == '<')
            put(out, "&lt;");
        else if (form[i] == '>')
            put(out, "&gt;");
        else
            *out++ = form[i];
    }
}

void putEscaped(char *&out, unsigned char byte) {
    if (byte == '&')
        put(out, "&amp;");
    else if (byte == '<')
        put(out, "&lt;");
    else
        put(out, "&gt;");
}

// Writes a character as page text. In the listing the shown form of a
// control is set apart in its element; the title is text only, and escapes
// '"' too, so that it is safe in an attribute as well.
void putShown(char *&out, const Character &character, bool inListing) {
    uint32_t code = character.code;
    switch (character.kind) {
    case CharacterKind::Visible:
    case CharacterKind::Blank:
        if (code < 0x80 && ByteClasses.of[code] == Escaped)
            putEscaped(out, static_cast<unsigned char>(code));
        else if (code == '"' && !inListing)
            put(out, "&quot;");
        else
            putUtf8(out, code);
        break;
    case CharacterKind::Control:
        if (inListing) put(out, "<span class=\"c\">");
        putControl(out, character);
        if (inListing) put(out, "</span>");
        break;
    default:
        putUtf8(out, ReplacementCode);
        break;
    }
}

// The sink's write position and the element state while a block is
// converted (SinkCursor), stored back into the sink and the filter after it.
struct Cursor : SinkCursor {
    HtmlState s;
};

void openCursor(Cursor &c, HtmlFilter *filter) {
    openSinkCursor(c, filter->sink, EventRoom);
    c.s = filter->state;
}

void closeCursor(const Cursor &c, HtmlFilter *filter) {
    closeSinkCursor(c);
    filter->state = c.s;
}

// ---- Elements ---------------------------------------------------------------

void closeMark(Cursor &c) {
    if (!c.s.markOpen) return;
    put(c.out, "</mark>");
    c.s.markOpen = false;
}

void closeRuns(Cursor &c) {
    closeMark(c);
    if (!c.s.boldOpen) return;
    put(c.out, "</b>");
    c.s.boldOpen = false;
}

void closeLine(Cursor &c) {
    closeRuns(c);
    if (!c.s.lineOpen) return;
    put(c.out, "</span>");
    c.s.lineOpen = false;
}

// Counts the line number up in its decimal digits: no division per line (a
// 64-bit one is a library call on 32-bit Windows). No input has 10^24 lines.
void countLine(HtmlState &s) {
    int i = s.lineDigitCount - 1;
    while (i >= 0 && s.lineDigits[i] == '9')
        s.lineDigits[i--] = '0';
    if (i >= 0) {
        ++s.lineDigits[i];
    } else if (s.lineDigitCount < static_cast<int>(sizeof s.lineDigits)) {
        memmove(s.lineDigits + 1, s.lineDigits, static_cast<size_t>(s.lineDigitCount++));
        s.lineDigits[0] = '1';
    }
}

// Opens the page and the line's element where they are not open yet. The
// rest of a line that a form feed cut goes into the new page without one.
void openLine(Cursor &c) {
    if (!c.s.pageOpen) {
        put(c.out, "<pre>");
        c.s.pageOpen = true;
    }
    if (c.s.lineBegun) return;
    countLine(c.s);
    put(c.out, "<span id=\"L");
    // All of the digits' buffer, a copy of constant length (the room of an
    // event holds it): what follows overwrites the rest.
    memcpy(c.out, c.s.lineDigits, sizeof c.s.lineDigits);
    c.out += c.s.lineDigitCount;
    put(c.out, "\">");
    c.s.lineBegun = c.s.lineOpen = true;
}

// Opens what the next character needs: its line, and <b> and <mark> as its
// style asks. A run of overstruck characters stays one element.
inline void beginCharacter(Cursor &c, bool overstruck) {
    if (!c.s.pageOpen || !c.s.lineBegun) openLine(c);
    if (!overstruck) closeMark(c);
    if (c.s.markOpen) return;
    if (c.s.bold && !c.s.boldOpen) {
        put(c.out, "<b>");
        c.s.boldOpen = true;
    }
    if (overstruck) {
        put(c.out, "<mark>");
        c.s.markOpen = true;
    }
}

// A line feed: even an empty line has its numbered element. After a form
// feed that ended the line it only separates the pages.
void endLine(Cursor &c) {
    if (!c.s.lineBegun) openLine(c);
    closeLine(c);
    *c.out++ = '\n';
    c.s.lineBegun = c.s.bold = false;
}

// A form feed: the page ends (the next one starts on a new sheet), and the
// rest of the line is bold. A page that is still empty is not ended, so
// that no sheet stays blank.
void breakPage(Cursor &c) {
    closeLine(c);
    if (c.s.pageOpen) put(c.out, "</pre>");
    c.s.pageOpen = false;
    c.s.bold = true;
}

// ---- Characters ---------------------------------------------------------------

// Writes the character that starts text[0, size), overstruck or not; returns
// its length, or 0 when the text ends inside it and more may come.
int putCharacter(Cursor &c, const unsigned char *text, size_t size, bool atEnd, bool overstruck) {
    Character character;
    if (readCharacter(text, size, atEnd, &character) == 0) return 0;
    makeRoom(c);
    beginCharacter(c, overstruck);
    if (text[0] == '\t')
        *c.out++ = '\t'; // an overstruck tab is still a tab
    else
        putShown(c.out, character, true);
    return character.length;
}

// Whether p starts a mark before a character that is copied as it is.
inline bool copiedMark(const unsigned char *p, const unsigned char *end) {
    return end - p >= 3 && p[0] == '_' && p[1] == Backspace && ByteClasses.of[p[2]] == Copied;
}

// Once the elements are settled, the rest of a run of characters that are
// copied as they are, plain or marked, goes out in a tight loop: the write
// position in a local that no store through it can change, where the
// compiler keeps it in a register. Returns where the run ends.
const unsigned char *copyRun(Cursor &c, const unsigned char *p, const unsigned char *end) {
    char *out = c.out;
    const char *roomEnd = c.roomEnd;
    const unsigned char *limit = end - p > roomEnd + 1 - out ? p + (roomEnd + 1 - out) : end;
    *out++ = static_cast<char>(*p++);
    for (; p < limit; ++p) {
        unsigned char byte = *p;
        if (ByteClasses.of[byte] != Copied) break;
        *out++ = static_cast<char>(byte);
    }
    c.out = out;
    return p;
}

const unsigned char *copyMarkedRun(Cursor &c, const unsigned char *p, const unsigned char *end) {
    char *out = c.out;
    const char *roomEnd = c.roomEnd;
    do {
        *out++ = static_cast<char>(p[2]);
        p += 3;
    } while (out <= roomEnd && copiedMark(p, end));
    c.out = out;
    return p;
}

// An underscore: the mark of the character after its backspace, or itself.
// Returns the bytes used, 0 when the text ends too soon to tell.
int putMarked(Cursor &c, const unsigned char *p, const unsigned char *end, bool atEnd) {
    if (end - p >= 3 && p[1] == Backspace) {
        int length = putCharacter(c, p + 2, static_cast<size_t>(end - p - 2), atEnd, true);
        return length == 0 ? 0 : length + 2;
    }
    if ((end - p >= 2 && p[1] != Backspace) || atEnd) return putCharacter(c, p, 1, true, false);
    return 0;
}

// A carriage return before a line feed is left out (the line feed ends the
// line); any other is shown. Returns as putMarked.
int putCarriageReturn(Cursor &c, const unsigned char *p, const unsigned char *end, bool atEnd) {
    if (end - p >= 2 && p[1] == '\n') return 1;
    if (end - p < 2 && !atEnd) return 0;
    return putCharacter(c, p, 1, true, false);
}

// Converts text[0, size) and returns how much of it was used: all of it, or
// (unless atEnd) less when it ends inside a mark or a character.
size_t convert(Cursor &c, const unsigned char *text, size_t size, bool atEnd) {
    const unsigned char *p = text;
    const unsigned char *end = text + size;
    while (p < end) {
        int length = 1;
        switch (ByteClasses.of[*p]) {
        case Copied:
            makeRoom(c);
            beginCharacter(c, false);
            p = copyRun(c, p, end);
            continue;
        case Escaped:
            makeRoom(c);
            beginCharacter(c, false);
            putEscaped(c.out, *p);
            break;
        case Tab:
            makeRoom(c);
            if (!c.s.pageOpen || !c.s.lineBegun) openLine(c);
            *c.out++ = '\t';
            break;
        case LineFeed:
            makeRoom(c);
            endLine(c);
            break;
        case FormFeed:
            makeRoom(c);
            breakPage(c);
            break;
        case CarriageReturn:
            length = putCarriageReturn(c, p, end, atEnd);
            break;
        case Underscore:
            if (copiedMark(p, end)) {
                makeRoom(c);
                beginCharacter(c, true);
                p = copyMarkedRun(c, p, end);
                continue;
            }
            length = putMarked(c, p, end, atEnd);
            break;
        default:
            length = putCharacter(c, p, static_cast<size_t>(end - p), atEnd, false);
            break;
        }
        if (length == 0) break; // the next block decides
        p += length;
    }
    return static_cast<size_t>(p - text);
}

void hold(HtmlFilter *filter, const unsigned char *rest, size_t size) {
    memmove(filter->held, rest, size);
    filter->heldBytes = size;
}

} // namespace

int parseHtmlOptions(int argc, char **argv, const char **title) {
    for (int i = 1; i < argc; ++i) {
        const char *argument = argv[i];
        if (argument[0] != '-' || argument[1] != 't') return -1;
        if (argument[2] != '\0')
            *title = argument + 2;
        else if (i + 1 < argc)
            *title = argv[++i];
        else
            return -1;
    }
    return 0;
}

void startHtml(HtmlFilter *filter, BlockSink *sink, const char *title) {
    filter->sink = sink;
    filter->state = HtmlState{};
    filter->state.lineDigits[0] = '0';
    filter->state.lineDigitCount = 1;
    filter->heldBytes = 0;
    putToSink(sink, PageStart, sizeof PageStart - 1);
    Cursor c;
    openCursor(c, filter);
    const unsigned char *text = reinterpret_cast<const unsigned char *>(title);
    for (size_t left = strlen(title); left > 0;) {
        Character character;
        int length = readCharacter(text, left, true, &character);
        makeRoom(c);
        putShown(c.out, character, false);
        text += length;
        left -= static_cast<size_t>(length);
    }
    closeCursor(c, filter);
    putToSink(sink, PageStyle, sizeof PageStyle - 1);
}

void filterHtml(HtmlFilter *filter, const unsigned char *data, size_t size) {
    Cursor c;
    openCursor(c, filter);
    if (filter->heldBytes > 0) {
        // The held end and the first bytes of this block decide it. Should
        // they still not, the block was shorter than that and is held whole.
        size_t old = filter->heldBytes;
        size_t taken = HeldCapacity - old < size ? HeldCapacity - old : size;
        memcpy(filter->held + old, data, taken);
        size_t used = convert(c, filter->held, old + taken, false);
        if (used < old) {
            hold(filter, filter->held + used, old + taken - used);
            closeCursor(c, filter);
            return;
        }
        data += used - old;
        size -= used - old;
        filter->heldBytes = 0;
    }
    size_t used = convert(c, data, size, false);
    hold(filter, data + used, size - used);
    closeCursor(c, filter);
}

void finishHtml(HtmlFilter *filter) {
    Cursor c;
    openCursor(c, filter);
    convert(c, filter->held, filter->heldBytes, true);
    filter->heldBytes = 0;
    makeRoom(c);
    closeLine(c);
    if (c.s.pageOpen) put(c.out, "</pre>");
    c.s.pageOpen = false;
    put(c.out, PageEnd);
    closeCursor(c, filter);
    filter->sink->flush(filter->sink);
}
