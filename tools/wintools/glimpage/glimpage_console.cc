// glimpage_console.cc: the Windows console screen.
#include "glimpage_console.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const ConsoleServices *console;
WriteOutput writeOut;

struct ConsoleState {
    bool isConsole;            // the failure report may set the attribute back
    int pageColumns;           // screen buffer width at start
    int pageRows;              // window height at start
    uint16_t normalAttribute;  // attribute in force at start
    uint16_t reverseAttribute; // its two nibbles swapped
    uint16_t promptAttribute;  // in force when the last prompt came
    unsigned char *blankPage;  // spaces for the page, kept for the run
    int blankPageSize;
    ConsoleCell pageOrigin; // where every page starts
    int screenColumn;       // 1-based cell of the next byte on the row
    bool consoleInputOpen;  // the prompt's key input is open
} state;

// Console input mode bits cleared for the prompt: line input and echo. Every
// other bit (processed input among them) stays, so Ctrl+C keeps working.
const uint32_t LineInputMode = 0x0002;
const uint32_t EchoInputMode = 0x0004;

const unsigned char PromptText[] = "-More-";

// Shows the failure under caption; returns -1.
int fail(const char *caption, uint32_t code) {
    console->showFailure(caption, code);
    // The attribute in force at start is only known on a console; setting an
    // unknown one could leave the user's console black on black.
    if (state.isConsole) console->setTextAttribute(state.normalAttribute);
    return -1;
}

int moveToPageOrigin() {
    if (!console->setCursorPosition(state.pageOrigin))
        return fail("Set cursor position", console->lastError());
    return 0;
}

uint16_t reverseOf(uint16_t attribute) {
    return static_cast<uint16_t>(((attribute & 0x0F) << 4) | ((attribute & 0xF0) >> 4));
}

// pageColumns x pageRows spaces; false when the size is unusable or memory
// is short.
bool makeBlankPage() {
    int64_t size = static_cast<int64_t>(state.pageColumns) * state.pageRows;
    if (state.pageColumns <= 0 || state.pageRows <= 0 || size > INT32_MAX) return false;
    void *page = malloc(static_cast<size_t>(size));
    if (page == nullptr) return false;
    memset(page, ' ', static_cast<size_t>(size));
    state.blankPage = static_cast<unsigned char *>(page);
    state.blankPageSize = static_cast<int>(size);
    return true;
}

// Blanks the page from the cursor on, where the console has placed it, and
// puts the window over it.
int start(WriteOutput write, int *pageRows) {
    writeOut = write;
    free(state.blankPage);
    memset(&state, 0, sizeof state);
    state.screenColumn = 1;
    if (!console->standardHandlesValid()) return fail("Invalid std handle", console->lastError());
    ScreenInfo info;
    if (!console->getScreenInfo(&info)) return 0;
    state.isConsole = true;
    state.normalAttribute = info.attribute;
    state.reverseAttribute = reverseOf(info.attribute);
    state.pageRows = info.windowBottom - info.windowTop + 1;
    state.pageColumns = info.bufferWidth;
    if (!makeBlankPage()) return fail("Write file", NotEnoughMemoryCode);
    if (!console->writeBlankPage(state.blankPage, state.blankPageSize))
        return fail("Write file", console->lastError());
    // No longer a console: the run goes on writing overstruck text.
    if (!console->getScreenInfo(&info)) return 0;
    // The blank page scrolled the buffer; the page ends on the cursor's row.
    state.pageOrigin.column = 0;
    state.pageOrigin.row =
        static_cast<int16_t>(static_cast<uint16_t>(info.cursorRow - state.pageRows + 1));
    if (moveToPageOrigin() < 0) return -1;
    int16_t top = state.pageOrigin.row;
    int16_t bottom = static_cast<int16_t>(static_cast<uint16_t>(top + state.pageRows - 1));
    if (!console->setWindowPosition(info.windowLeft, top, info.windowRight, bottom))
        return fail("Set window position", console->lastError());
    *pageRows = state.pageRows;
    return 1;
}

// Blanks the page in the normal attribute (the prompt left it so), then puts
// back the attribute the text had before the prompt.
int beginPage(int *pageRows) {
    if (moveToPageOrigin() < 0) return -1;
    console->writeBlankPage(state.blankPage, state.blankPageSize);
    if (moveToPageOrigin() < 0) return -1;
    console->setTextAttribute(state.promptAttribute);
    *pageRows = state.pageRows;
    return 0;
}

int highlight(bool on) {
    if (!console->setTextAttribute(on ? state.reverseAttribute : state.normalAttribute))
        return fail(on ? "Reverse Mode" : "Normal Mode", console->lastError());
    return 0;
}

// A row is finished by a line feed or when its pageColumns-th byte has been
// written: a row of exactly pageColumns bytes and its line feed count two.
ScreenStop put(const unsigned char *bytes, int count, int *taken) {
    ScreenStop stop = RunShown;
    int shown = 0;
    int i = 0;
    while (i < count && stop == RunShown) {
        int c = bytes[i++];
        if (c == '\f') {
            state.screenColumn = 1;
            stop = PageBreakAsked;
        } else {
            shown = i;
            if (c == '\n' || state.screenColumn++ % state.pageColumns == 0) {
                state.screenColumn = 1;
                stop = RowFinished;
            }
        }
    }
    writeOut(bytes, shown);
    *taken = i;
    return stop;
}

// Waits for the prompt's key with one unechoed key at a time. Returns 1 for
// a key that goes on, 0 for a quit, -1 after a failure was reported.
int readPromptKey() {
    if (!state.consoleInputOpen) {
        if (!console->openConsoleInput()) return fail("More In", console->lastError());
        state.consoleInputOpen = true;
    }
    uint32_t mode;
    if (!console->getInputMode(&mode)) return fail("More mode in", console->lastError());
    if (!console->setInputMode(mode & ~(LineInputMode | EchoInputMode)))
        return fail("More mode out", console->lastError());
    unsigned char key = 0;
    int got = console->readKey(&key);
    if (got < 0) {
        // Take the code before anything else can change it, and do not leave
        // the user's console without echo behind.
        uint32_t code = console->lastError();
        console->setInputMode(mode);
        return fail("More read", code);
    }
    if (!console->setInputMode(mode)) return fail("Reset more mode", console->lastError());
    // No byte at all means the console input is at its end: nobody can
    // answer the prompt any more, so it counts as a quit.
    if (got == 0 || key == 'q' || key == 0x1A) return 0;
    return 1;
}

// The prompt in reverse video at the cursor; the attribute changes here are
// not checked.
int prompt() {
    ScreenInfo info;
    state.promptAttribute = state.normalAttribute;
    if (console->getScreenInfo(&info)) state.promptAttribute = info.attribute;
    console->setTextAttribute(state.reverseAttribute);
    writeOut(PromptText, sizeof PromptText - 1);
    int key = readPromptKey();
    if (key < 0) return -1;
    console->setTextAttribute(state.normalAttribute);
    return key;
}

void finish() {}

const PagerScreen ScreenOverConsole = {start, beginPage, highlight, put, prompt, finish};

} // namespace

const PagerScreen *consoleScreen(const ConsoleServices *services) {
    console = services;
    return &ScreenOverConsole;
}

const char *failureText(const char *systemText, uint32_t code, char fallback[FailureTextSize]) {
    if (systemText != nullptr && systemText[0] != '\0') return systemText;
    snprintf(fallback, FailureTextSize, "error %lu", static_cast<unsigned long>(code));
    return fallback;
}
