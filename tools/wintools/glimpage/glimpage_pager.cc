// glimpage_pager.cc: options, the command table and the merge loop.
#include "glimpage_pager.h"

#include <limits.h>
#include <string.h>

#include "glimpage_output.h"

namespace {

const PagerPlatform *platform;

// The blocks the script and the current text file are read into; one file is
// open at a time.
unsigned char scriptBlock[1 << 16];
unsigned char textBlock[1 << 16];

const char MarginText[] = "        ";

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

bool readNextCommand(PagerState *s, ByteSource *script) {
    ScriptCommand *c = &s->pending;
    return readScriptCommand(script, &c->line, &c->column, &c->letter, &c->argument);
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

int32_t advanceBy(int32_t column, const char *text) {
    return wrapAdd(column, static_cast<uint32_t>(strlen(text)));
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

// Writes one text byte with its highlighting, margin and tab expansion.
int writeTextByte(PagerState *s, int c) {
    bool mark = false;
    if ((s->depth > 0) == s->highlightSense) {
        if (c >= 0x21 && c <= 0x7E) {
            if (!outputOnScreen())
                mark = true;
            else if (!s->reversed && switchToReverse(s) < 0)
                return -1;
        } else if (c == '\n') {
            // Switched off at every line end, on again at the next visible byte.
            if (switchToNormal(s) < 0) return -1;
        }
        // Blanks and other bytes keep whatever attribute is in force.
    } else if (s->reversed && switchToNormal(s) < 0) {
        return -1;
    }
    // The margin takes the attribute just chosen, and comes before the mark.
    if (s->outputColumn == 1 && s->marginOn && putOutputString(MarginText) < 0) return -1;
    if (mark && (putOutputChar('_') < 0 || putOutputChar('\b') < 0)) return -1;
    if (c == '\t') {
        do {
            if (putOutputChar(' ') < 0) return -1;
            s->outputColumn = wrapAdd(s->outputColumn, 1);
        } while (static_cast<uint32_t>(s->outputColumn) % 8 != 1);
        return 0;
    }
    if (c == '\f') return putFormFeed();
    if (putOutputChar(c) < 0) return -1;
    s->outputColumn = c == '\n' ? 1 : wrapAdd(s->outputColumn, 1);
    return 0;
}

// Ends the run normally, leaving the screen in its normal attribute.
int finishRun(PagerState *s, bool closingPrompt) {
    if (s->reversed && switchToNormal(s) < 0) return outputEndStatus();
    if (closingPrompt && closePages() < 0) return outputEndStatus();
    return 0;
}

// Overstrike mode's fast lane: copies the text that starts at the next byte
// to the output in runs, marking visible bytes when the text is highlighted,
// up to the pending command's position, a tab, a form feed, or the start of a
// line that gets a margin; the driver's general path takes over there. Its
// output is what writeTextByte writes byte by byte (a line feed is never
// marked and needs no attribute when not on a screen). Returns 1 when bytes
// were copied, 0 when none were, -1 when the output failed.
int copyOrdinaryRun(PagerState *s) {
    ByteSource *source = &s->textSource;
    const bool highlighted = (s->depth > 0) == s->highlightSense;
    int copied = 0;
    for (;;) {
        const unsigned char *start = source->next;
        size_t available = static_cast<size_t>(source->end - start);
        // The pending command is not reached yet; on its own line it is
        // reached after (column - textColumn) more bytes.
        if (s->scriptMore && s->textLine == s->pending.line) {
            uint32_t before =
                static_cast<uint32_t>(s->pending.column) - static_cast<uint32_t>(s->textColumn);
            if (before < available) available = before;
        }
        const unsigned char *p = start;
        const unsigned char *end = start + available;
        while (p < end && *p != '\n' && *p != '\t' && *p != '\f')
            ++p;
        uint32_t count = static_cast<uint32_t>(p - start);
        bool lineEnds = p < end && *p == '\n';
        if (lineEnds) ++p;
        if (p == start) return copied;
        if (putOverstrikeRun(start, static_cast<size_t>(p - start), highlighted) < 0) return -1;
        source->next = p;
        copied = 1;
        if (!lineEnds) {
            s->textColumn = wrapAdd(s->textColumn, count);
            s->outputColumn = wrapAdd(s->outputColumn, count);
            return copied;
        }
        s->textLine = wrapAdd(s->textLine, 1);
        s->textColumn = 1;
        s->outputColumn = 1;
        if (s->marginOn || (s->scriptMore && positionReached(s))) return copied;
    }
}

int mergeScriptAndText(PagerState *s, ByteSource *script) {
    s->scriptMore = readNextCommand(s, script);
    for (;;) {
        // A read can end the run: a quit at the prompt it showed first.
        if (outputEndStatus() >= 0) return outputEndStatus();
        while (s->scriptMore) {
            // Without a text file every command runs as soon as it is read.
            if (s->textFile != nullptr && !positionReached(s)) break;
            if (runCommand(s) < 0) return outputEndStatus();
            s->scriptMore = readNextCommand(s, script);
            if (outputEndStatus() >= 0) return outputEndStatus();
            if (!s->scriptMore && !s->outputOn) return finishRun(s, false);
        }
        if (!s->scriptMore && s->textFile == nullptr) return finishRun(s, true);

        if (!outputOnScreen() && s->outputOn && ordinaryRuns &&
            (s->outputColumn != 1 || !s->marginOn)) {
            int copied = copyOrdinaryRun(s);
            if (copied < 0) return outputEndStatus();
            if (copied > 0) continue;
        }
        int c = getByte(&s->textSource);
        if (c == EndOfInput) {
            closeTextFile(s);
            continue;
        }
        if (c == '\n') {
            s->textLine = wrapAdd(s->textLine, 1);
            s->textColumn = 1;
        } else {
            s->textColumn = wrapAdd(s->textColumn, 1);
        }
        if (s->outputOn && writeTextByte(s, c) < 0) return outputEndStatus();
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
    closeTextFile(&s);
    return finishOutput(status, writeError);
}
