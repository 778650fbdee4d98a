// glimpage_pager.cc: options, the command table and the merge loop.
#include "glimpage_pager.h"

#include <limits.h>
#include <string.h>

#include "characters.h"
#include "glimpage_output.h"

namespace {

const PagerPlatform *platform;

// The blocks the script and the current text file are read into; one file is
// open at a time.
unsigned char scriptBlock[1 << 16];
unsigned char textBlock[1 << 16];

const char MarginText[] = "        ";

// A character of a text file, as the driver writes it.
struct TextCharacter {
    unsigned char bytes[MaxCharacterBytes];
    int length;
    CharacterKind kind;
    int width;
};

// Positions and columns wrap modulo 2^32 like the reader's numbers do.
int32_t wrapAdd(int32_t value, uint32_t amount) {
    return static_cast<int32_t>(static_cast<uint32_t>(value) + amount);
}

// Compared as unsigned numbers, so a negative line or column lies beyond
// every real position: a command at column -1 waits for the next line, one
// at a negative line for the end of the file.
bool positionReached(const PagerState *s) {
    uint32_t textLine = static_cast<uint32_t>(s->textLine);
    uint32_t line = static_cast<uint32_t>(s->pending.line);
    return textLine > line || (textLine == line && static_cast<uint32_t>(s->textColumn) >=
                                                       static_cast<uint32_t>(s->pending.column));
}

// A read that failed ends its input: one line on standard error, after what
// was merged before it, and the run's status becomes 1.
int reportReadFailure(PagerState *s, const char *name, int error) {
    s->readFailed = true;
    if (outputOnScreen() && flushOutput() < 0) return -1;
    platform->reportReadFailure(name, error);
    return 0;
}

bool readNextCommand(PagerState *s, ByteSource *script) {
    ScriptCommand *c = &s->pending;
    if (readScriptCommand(script, &c->line, &c->column, &c->letter, &c->argument)) return true;
    if (script->error != 0) reportReadFailure(s, "standard input", script->error);
    return false;
}

// A read of the script or of a text file may wait (a pipe, a slow writer):
// what was merged so far is put on the screen first. Output to files and
// pipes stays in its block. Once the run has ended (a quit at a prompt shown
// meanwhile) the input ends too.
int readScript(void *, unsigned char *buffer, int size) {
    if (outputOnScreen() && flushOutput() < 0) return 0;
    return platform->readInput(nullptr, buffer, size);
}

int readTextFile(void *file, unsigned char *buffer, int size) {
    if (outputOnScreen() && flushOutput() < 0) return 0;
    return platform->readTextFile(file, buffer, size);
}

void closeTextFile(PagerState *s) {
    if (s->textFile != nullptr) platform->closeTextFile(s->textFile);
    s->textFile = nullptr;
}

int openTextFile(PagerState *s, const char *name) {
    closeTextFile(s);
    s->textFile = platform->openTextFile(name);
    strncpy(s->textName, name, MaxArgumentLength);
    if (s->textFile == nullptr) {
        char message[sizeof "can't open \n" + MaxArgumentLength];
        size_t length = strlen(name);
        if (length > MaxArgumentLength) length = MaxArgumentLength;
        memcpy(message, "can't open ", 11);
        memcpy(message + 11, name, length);
        memcpy(message + 11 + length, "\n", 2);
        // Output on a screen is written as if unbuffered: what came before
        // the message must be on the screen before it.
        if (outputOnScreen() && flushOutput() < 0) return -1;
        platform->writeError(message);
    } else {
        initByteSource(&s->textSource, readTextFile, s->textFile, textBlock, sizeof textBlock);
    }
    s->textLine = 1;
    s->textColumn = 1;
    s->outputOn = true;
    return 0;
}

int switchToNormal(PagerState *s) {
    s->reversed = false;
    return setNormalAttribute();
}

int switchToReverse(PagerState *s) {
    s->reversed = true;
    return setReverseAttribute();
}

// The columns a character takes on the output line, for tab stops: the
// cells of a printable character (two for a wide one, none for a combining
// accent), one for each byte that is no printable character.
uint32_t columnsOf(CharacterKind kind, int width, int length) {
    bool printable = kind == CharacterKind::Visible || kind == CharacterKind::Blank;
    return static_cast<uint32_t>(printable ? width : length);
}

// The column after text, counted as tab stops count it.
int32_t advanceBy(int32_t column, const char *text) {
    const unsigned char *p = reinterpret_cast<const unsigned char *>(text);
    const unsigned char *end = p + strlen(text);
    uint32_t columns = 0;
    while (p < end) {
        Character c;
        p += readCharacter(p, static_cast<size_t>(end - p), true, &c);
        columns += columnsOf(c.kind, c.width, c.length);
    }
    return wrapAdd(column, columns);
}

// Header text: highlighted whatever the sense of highlighting.
int runHeader(PagerState *s, const char *text, bool lineEnd) {
    if (!outputOnScreen()) {
        if (putOverstruck(text) < 0) return -1;
    } else {
        if (!s->reversed && setReverseAttribute() < 0) return -1;
        if (!lineEnd) s->reversed = true;
        if (putOutputString(text) < 0) return -1;
        if (lineEnd && switchToNormal(s) < 0) return -1;
    }
    if (!lineEnd) {
        s->outputColumn = advanceBy(s->outputColumn, text);
        return 0;
    }
    s->outputColumn = 1;
    return putOutputChar('\n');
}

int runPlainText(PagerState *s, const char *text, bool lineEnd) {
    if (s->reversed && switchToNormal(s) < 0) return -1;
    if (putOutputString(text) < 0) return -1;
    if (!lineEnd) {
        s->outputColumn = advanceBy(s->outputColumn, text);
        return 0;
    }
    s->outputColumn = 1;
    return putOutputChar('\n');
}

int runCommand(PagerState *s) {
    const ScriptCommand *c = &s->pending;
    switch (c->letter) {
    case '+':
        if (s->depth < INT_MAX) s->depth++;
        return 0;
    case '-':
        if (s->depth > 0) s->depth--;
        return 0;
    case 'f':
        return openTextFile(s, c->argument);
    case 'O':
        s->outputOn = false;
        return 0;
    case 'o':
        s->outputOn = true;
        return 0;
    case 'H':
        return runHeader(s, c->argument, false);
    case 'h':
        return runHeader(s, c->argument, true);
    case 'T':
        return runPlainText(s, c->argument, false);
    case 't':
        return runPlainText(s, c->argument, true);
    case 'm':
        s->marginOn = true;
        return 0;
    default:
        return 0;
    }
}

// Writes one text character with its highlighting, margin and tab expansion.
int writeTextCharacter(PagerState *s, const TextCharacter &c) {
    unsigned char first = c.bytes[0];
    bool mark = false;
    if ((s->depth > 0) == s->highlightSense) {
        if (c.kind == CharacterKind::Visible) {
            if (!outputOnScreen())
                mark = true;
            else if (!s->reversed && switchToReverse(s) < 0)
                return -1;
        } else if (first == '\n') {
            // Switched off at every line end, on again at the next visible character.
            if (switchToNormal(s) < 0) return -1;
        }
        // Blanks and other bytes keep whatever attribute is in force.
    } else if (s->reversed && switchToNormal(s) < 0) {
        return -1;
    }
    // The margin takes the attribute just chosen, and comes before the mark.
    if (s->outputColumn == 1 && s->marginOn && putOutputString(MarginText) < 0) return -1;
    if (mark && (putOutputChar('_') < 0 || putOutputChar('\b') < 0)) return -1;
    if (first == '\t') {
        // Tab stops at columns 9, 17, 25, ...: at least one space.
        uint32_t spaces = 8 - (static_cast<uint32_t>(s->outputColumn) + 7) % 8;
        s->outputColumn = wrapAdd(s->outputColumn, spaces);
        return putOutputSpaces(static_cast<int>(spaces));
    }
    if (first == '\f') return putFormFeed();
    for (int i = 0; i < c.length; i++)
        if (putOutputChar(c.bytes[i]) < 0) return -1;
    s->outputColumn =
        first == '\n' ? 1 : wrapAdd(s->outputColumn, columnsOf(c.kind, c.width, c.length));
    return 0;
}

// Ends the run normally, leaving the screen in its normal attribute.
int finishRun(PagerState *s, bool closingPrompt) {
    if (s->reversed && switchToNormal(s) < 0) return outputEndStatus();
    if (closingPrompt && closePages() < 0) return outputEndStatus();
    return 0;
}

// Bytes of the text before the pending command's position: the command runs
// before the byte there. At most limit.
size_t bytesBeforeCommand(const PagerState *s, size_t limit) {
    if (!s->scriptMore || s->textLine != s->pending.line) return limit;
    uint32_t before =
        static_cast<uint32_t>(s->pending.column) - static_cast<uint32_t>(s->textColumn);
    return before < limit ? before : limit;
}

// Overstrike mode's fast lane: copies the text that starts at the next byte
// to the output in runs (putOverstrikeRun), up to the pending command's
// position, a byte that the general path must take, or the start of a line
// that gets a margin. Its output is what writeTextCharacter writes character
// by character (a line feed is never marked and needs no attribute when not
// on a screen). Returns 1 when bytes were copied, 0 when none were, -1 when
// the output failed.
int copyOrdinaryRun(PagerState *s) {
    ByteSource *source = &s->textSource;
    const bool highlighted = (s->depth > 0) == s->highlightSense;
    int copied = 0;
    for (;;) {
        const unsigned char *start = source->next;
        size_t limit = bytesBeforeCommand(s, static_cast<size_t>(source->end - start));
        long taken = putOverstrikeRun(start, limit, highlighted);
        if (taken <= 0) return taken < 0 ? -1 : copied;
        source->next = start + taken;
        copied = 1;
        if (start[taken - 1] != '\n') {
            s->textColumn = wrapAdd(s->textColumn, static_cast<uint32_t>(taken));
            s->outputColumn = wrapAdd(s->outputColumn, static_cast<uint32_t>(taken));
            return copied;
        }
        s->textLine = wrapAdd(s->textLine, 1);
        s->textColumn = 1;
        s->outputColumn = 1;
        if (s->marginOn || (s->scriptMore && positionReached(s))) return copied;
    }
}

// Takes the next character of the text file into *c; false at its end. A
// character that a command's position cuts is taken a byte at a time, each
// byte no character, so that the command still runs at its byte.
bool takeTextCharacter(PagerState *s, TextCharacter *c) {
    ByteSource *source = &s->textSource;
    int first = getByte(source);
    if (first == EndOfInput) return false;
    unsigned char byte = static_cast<unsigned char>(first);
    CharacterKind kind = byte < 0x80 ? asciiKind(byte) : byteKind(byte);
    if (kind != CharacterKind::Lead) {
        *c = {{byte}, 1, kind, 1};
        return true;
    }
    source->next--; // getByte leaves the byte it took in the block
    size_t available = fillByteSource(source, MaxCharacterBytes);
    Character character;
    readCharacter(source->next, bytesBeforeCommand(s, available), true, &character);
    memcpy(c->bytes, source->next, static_cast<size_t>(character.length));
    c->length = character.length;
    c->kind = character.kind;
    c->width = character.width;
    source->next += character.length;
    return true;
}

int mergeScriptAndText(PagerState *s, ByteSource *script) {
    s->scriptMore = readNextCommand(s, script);
    for (;;) {
        // A read can end the run: a quit at the prompt it showed first.
        if (outputEndStatus() >= 0) return outputEndStatus();
        // A script that cannot be read further ends the run where it failed.
        if (script->error != 0) return finishRun(s, false);
        while (s->scriptMore) {
            // Without a text file every command runs as soon as it is read.
            if (s->textFile != nullptr && !positionReached(s)) break;
            if (runCommand(s) < 0) return outputEndStatus();
            s->scriptMore = readNextCommand(s, script);
            if (outputEndStatus() >= 0) return outputEndStatus();
            if (script->error != 0 || (!s->scriptMore && !s->outputOn)) return finishRun(s, false);
        }
        if (!s->scriptMore && s->textFile == nullptr) return finishRun(s, true);

        if (!outputOnScreen() && s->outputOn && ordinaryRuns &&
            (s->outputColumn != 1 || !s->marginOn)) {
            int copied = copyOrdinaryRun(s);
            if (copied < 0) return outputEndStatus();
            if (copied > 0) continue;
        }
        TextCharacter c;
        if (!takeTextCharacter(s, &c)) {
            // A file that fails is closed there, as if it had ended.
            int error = s->textSource.error;
            if (error != 0 && reportReadFailure(s, s->textName, error) < 0)
                return outputEndStatus();
            closeTextFile(s);
            continue;
        }
        if (c.bytes[0] == '\n') {
            s->textLine = wrapAdd(s->textLine, 1);
            s->textColumn = 1;
        } else {
            s->textColumn = wrapAdd(s->textColumn, static_cast<uint32_t>(c.length));
        }
        if (s->outputOn && writeTextCharacter(s, c) < 0) return outputEndStatus();
    }
}

} // namespace

bool ordinaryRuns = true;

int parsePagerOptions(int argc, char **argv, bool *highlightSense) {
    *highlightSense = true;
    for (int i = 1; i < argc; i++) {
        const char *argument = argv[i];
        // "-" and anything not starting with '-' end the options; they and
        // the arguments after them are not used.
        if (argument[0] != '-' || argument[1] == '\0') break;
        for (const char *p = argument + 1; *p; ++p) {
            if (*p == 'r')
                *highlightSense = false;
            else if (*p != 'u')
                return static_cast<unsigned char>(*p);
        }
    }
    return 0;
}

int runPager(const PagerPlatform *system, bool highlightSense, int *writeError) {
    platform = system;
    PagerState s;
    memset(&s, 0, sizeof s);
    s.highlightSense = highlightSense;
    s.textLine = 1;
    s.textColumn = 1;
    s.outputOn = true;
    s.outputColumn = 1;
    ByteSource script;
    initByteSource(&script, readScript, nullptr, scriptBlock, sizeof scriptBlock);
    int status = startOutput(system) < 0 ? outputEndStatus() : mergeScriptAndText(&s, &script);
    if (s.readFailed && status == 0) status = 1;
    closeTextFile(&s);
    return finishOutput(status, writeError);
}
