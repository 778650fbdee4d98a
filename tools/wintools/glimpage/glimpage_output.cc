// glimpage_output.cc: paging on a screen and overstruck output.
#include "glimpage_output.h"

#include <string.h>

#include "characters.h"

namespace {

const int OutputBlockSize = 1 << 16;

const PagerPlatform *platform;
const PagerScreen *screen; // the screen the run pages on; null when overstriking

int pageRows;        // height of the current page; 0: the page has no end
int rowCount;        // rows counted on the current page, from 1
bool firstBreakDone; // the run's first page-break request was absorbed
int endStatus;       // the exit status once the run has ended, -1 before
int writeError;      // errno of the write of standard output that failed

int used;
unsigned char block[OutputBlockSize];

int endRun(int status) {
    if (endStatus < 0) endStatus = status;
    return -1;
}

// Standard output, for the layer and the screen alike.
int writeThrough(const unsigned char *bytes, int count) {
    if (writeError == 0 && count > 0) writeError = platform->writeOutput(bytes, count);
    return writeError;
}

// Called with false when a row of the page is finished and with true for a
// page-break request; prompts when the page is full or a break is due.
int morePrompt(bool pageBreak) {
    // The page was blank at start, so the run's first break needs no prompt.
    if (pageBreak && !firstBreakDone) {
        firstBreakDone = true;
        return 0;
    }
    if (pageRows == 0) return 0;
    rowCount++;
    // With rowCount starting at 1, a page shows pageRows - 1 rows of text and
    // the prompt on its last row.
    if (rowCount % pageRows != 0 && !pageBreak) return 0;
    int answer = screen->prompt();
    if (writeError != 0 || answer < 0) return endRun(1);
    if (answer == 0) return endRun(0);
    if (screen->beginPage(&pageRows) < 0) return endRun(1);
    rowCount = 1;
    return 0;
}

int showOnScreen(const unsigned char *bytes, int count) {
    while (count > 0) {
        int taken = 0;
        ScreenStop stop = screen->put(bytes, count, &taken);
        if (writeError != 0) return endRun(1);
        bytes += taken;
        count -= taken;
        if (stop != RunShown && morePrompt(stop == PageBreakAsked) < 0) return -1;
    }
    return 0;
}

// What overstrike mode's fast lane does with a byte, by whether the text is
// marked: copy it, mark and copy it, copy it and stop (a line feed), or stop
// before it, for the driver to take.
enum RunAction : unsigned char { CopyByte, MarkByte, CopyAndStop, StopBefore };
RunAction runActions[2][256];

RunAction runActionOf(unsigned char byte, bool marked) {
    if (byte == '\n') return CopyAndStop;
    if (byte == '\t' || byte == '\f') return StopBefore;
    if (byte < 0x80) return marked && byte > 0x20 && byte < 0x7F ? MarkByte : CopyByte;
    // A character of several bytes has columns of its own; a visible one
    // beyond ASCII is marked whole.
    CharacterKind kind = byteKind(byte);
    bool driver = kind == CharacterKind::Lead || (marked && kind == CharacterKind::Visible);
    return driver ? StopBefore : CopyByte;
}

} // namespace

int startOutput(const PagerPlatform *table) {
    for (int byte = 0; byte < 256; byte++) {
        runActions[0][byte] = runActionOf(static_cast<unsigned char>(byte), false);
        runActions[1][byte] = runActionOf(static_cast<unsigned char>(byte), true);
    }
    platform = table;
    screen = nullptr;
    pageRows = 0;
    rowCount = 1;
    firstBreakDone = false;
    endStatus = -1;
    writeError = 0;
    used = 0;
    if (table->screen == nullptr) return 0;
    int started = table->screen->start(writeThrough, &pageRows);
    if (started < 0) return endRun(1);
    if (started > 0) screen = table->screen;
    return 0;
}

bool outputOnScreen() {
    return screen != nullptr;
}

int outputEndStatus() {
    return endStatus;
}

int flushOutput() {
    int count = used;
    used = 0;
    // Nothing is shown after the end: a quit leaves the page as it is.
    if (endStatus >= 0) return -1;
    if (screen != nullptr) return showOnScreen(block, count);
    return writeThrough(block, count) == 0 ? 0 : endRun(1);
}

int finishOutput(int status, int *error) {
    flushOutput();
    if (screen != nullptr) screen->finish();
    if (endStatus >= 0) status = endStatus;
    *error = writeError;
    return writeError != 0 ? 1 : status;
}

int setNormalAttribute() {
    if (screen == nullptr) return 0;
    if (flushOutput() < 0) return -1;
    return screen->highlight(false) < 0 ? endRun(1) : 0;
}

int setReverseAttribute() {
    if (screen == nullptr) return 0;
    if (flushOutput() < 0) return -1;
    return screen->highlight(true) < 0 ? endRun(1) : 0;
}

int putOutputChar(int c) {
    if (used == OutputBlockSize && flushOutput() < 0) return -1;
    block[used++] = static_cast<unsigned char>(c);
    return 0;
}

int putOutputString(const char *text) {
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text); *p; ++p)
        if (putOutputChar(*p) < 0) return -1;
    return 0;
}

int closePages() {
    if (flushOutput() < 0) return -1;
    return screen != nullptr ? morePrompt(true) : 0;
}

int putOverstruck(const char *text) {
    const unsigned char *p = reinterpret_cast<const unsigned char *>(text);
    const unsigned char *end = p + strlen(text);
    while (p < end) {
        Character c;
        int length = readCharacter(p, static_cast<size_t>(end - p), true, &c);
        if (putOutputChar('_') < 0 || putOutputChar('\b') < 0) return -1;
        for (const unsigned char *last = p + length; p < last; ++p)
            if (putOutputChar(*p) < 0) return -1;
    }
    return 0;
}

long putOverstrikeRun(const unsigned char *bytes, size_t count, bool marked) {
    const RunAction *action = runActions[marked];
    size_t taken = 0;
    while (taken < count) {
        // Room for every byte marked.
        size_t room = static_cast<size_t>(OutputBlockSize - used) / 3;
        if (room < 64) {
            if (flushOutput() < 0) return -1;
            continue;
        }
        const unsigned char *start = bytes + taken;
        const unsigned char *end = start + (count - taken < room ? count - taken : room);
        const unsigned char *p = start;
        unsigned char *out = block + used;
        if (marked) {
            for (; p < end; ++p) {
                RunAction next = action[*p];
                if (next == MarkByte) {
                    *out++ = '_';
                    *out++ = '\b';
                } else if (next != CopyByte) {
                    break;
                }
                *out++ = *p;
            }
        } else {
            // Byte by byte: runs are short, and on Windows memcpy is a call
            // into the C runtime's DLL.
            while (p < end && action[*p] == CopyByte)
                *out++ = *p++;
        }
        bool stopped = p < end;
        if (stopped && action[*p] == CopyAndStop) *out++ = *p++;
        used = static_cast<int>(out - block);
        taken = static_cast<size_t>(p - bytes);
        if (stopped) break;
    }
    return static_cast<long>(taken);
}

int putOutputSpaces(int count) {
    while (count > 0) {
        if (used == OutputBlockSize && flushOutput() < 0) return -1;
        int length = count < OutputBlockSize - used ? count : OutputBlockSize - used;
        count -= length;
        while (length-- > 0)
            block[used++] = ' ';
    }
    return 0;
}
