// glimpage_output.cc: console paging and overstruck output.
#include "glimpage_output.h"

#include <stdlib.h>
#include <string.h>

ConsoleState consoleState;
OutputBlock outputBlock;

namespace {

const PagerPlatform *platform;
// Null without a console; asked by initConsole, then only while isConsole.
const ConsoleServices *console;

// Console input mode bits cleared for the prompt: line input and echo. Every
// other bit (processed input among them) stays, so Ctrl+C keeps working.
const uint32_t LineInputMode = 0x0002;
const uint32_t EchoInputMode = 0x0004;

const char PromptText[] = "-More-";

int setAttributeOrFail(uint16_t attribute, const char *caption) {
    if (!consoleState.isConsole) return 0;
    flushOutput();
    if (!console->setTextAttribute(attribute))
        return reportConsoleFailure(caption, console->lastError());
    return 0;
}

int moveToPageOrigin() {
    if (!console->setCursorPosition(consoleState.pageOrigin))
        return reportConsoleFailure("Set cursor position", console->lastError());
    return 0;
}

// The page size from what the screen reports.
void takePageSize(const ScreenInfo *info) {
    consoleState.pageRows = info->windowBottom - info->windowTop + 1;
    consoleState.pageColumns = info->bufferWidth;
}

// pageColumns x pageRows spaces; false when the size is unusable or memory
// is short.
bool makeBlankPage() {
    int64_t size = static_cast<int64_t>(consoleState.pageColumns) * consoleState.pageRows;
    if (consoleState.pageColumns <= 0 || consoleState.pageRows <= 0 || size > INT32_MAX)
        return false;
    void *page = malloc(static_cast<size_t>(size));
    if (page == nullptr) return false;
    memset(page, ' ', static_cast<size_t>(size));
    consoleState.blankPage = static_cast<unsigned char *>(page);
    consoleState.blankPageSize = static_cast<int>(size);
    return true;
}

// Waits for the prompt's key with one unechoed key at a time. Returns 1 for
// a key that goes on, 0 for a quit, -1 after a failure was reported.
int readPromptKey() {
    if (!consoleState.consoleInputOpen) {
        if (!console->openConsoleInput())
            return reportConsoleFailure("More In", console->lastError());
        consoleState.consoleInputOpen = true;
    }
    uint32_t mode;
    if (!console->getInputMode(&mode))
        return reportConsoleFailure("More mode in", console->lastError());
    if (!console->setInputMode(mode & ~(LineInputMode | EchoInputMode)))
        return reportConsoleFailure("More mode out", console->lastError());
    unsigned char key = 0;
    int got = console->readKey(&key);
    if (got < 0) {
        // Take the code before anything else can change it, and do not leave
        // the user's console without echo behind.
        uint32_t code = console->lastError();
        console->setInputMode(mode);
        return reportConsoleFailure("More read", code);
    }
    if (!console->setInputMode(mode))
        return reportConsoleFailure("Reset more mode", console->lastError());
    // No byte at all means the console input is at its end: nobody can
    // answer the prompt any more, so it counts as a quit.
    if (got == 0 || key == 'q' || key == 0x1A) return 0;
    return 1;
}

} // namespace

void setPagerPlatform(const PagerPlatform *table) {
    platform = table;
    console = table->console;
    resetConsoleState();
}

const PagerPlatform *pagerPlatform() {
    return platform;
}

void resetConsoleState() {
    free(consoleState.blankPage);
    memset(&consoleState, 0, sizeof consoleState);
    consoleState.rowCount = 1;
    consoleState.screenColumn = 1;
    outputBlock.used = 0;
    outputBlock.writeError = 0;
}

void flushOutput() {
    if (outputBlock.used > 0 && outputBlock.writeError == 0)
        outputBlock.writeError = platform->writeOutput(outputBlock.bytes, outputBlock.used);
    outputBlock.used = 0;
}

uint16_t reverseOf(uint16_t attribute) {
    return static_cast<uint16_t>(((attribute & 0x0F) << 4) | ((attribute & 0xF0) >> 4));
}

int initConsole() {
    if (console == nullptr) {
        consoleState.isConsole = false;
        return 0;
    }
    if (!console->standardHandlesValid())
        return reportConsoleFailure("Invalid std handle", console->lastError());
    ScreenInfo info;
    if (!console->getScreenInfo(&info)) {
        consoleState.isConsole = false;
        return 0;
    }
    consoleState.isConsole = true;
    consoleState.normalAttribute = info.attribute;
    consoleState.reverseAttribute = reverseOf(info.attribute);
    takePageSize(&info);
    if (!makeBlankPage()) return reportConsoleFailure("Write file", NotEnoughMemoryCode);
    if (!console->writeBlankPage(consoleState.blankPage, consoleState.blankPageSize))
        return reportConsoleFailure("Write file", console->lastError());
    if (!console->getScreenInfo(&info)) {
        // No longer a console: go on writing overstruck text.
        consoleState.isConsole = false;
        return 0;
    }
    // The blank page scrolled the buffer; the page ends on the cursor's row.
    consoleState.pageOrigin.column = 0;
    consoleState.pageOrigin.row =
        static_cast<int16_t>(static_cast<uint16_t>(info.cursorRow - consoleState.pageRows + 1));
    if (moveToPageOrigin() < 0) return -1;
    int16_t top = consoleState.pageOrigin.row;
    int16_t bottom = static_cast<int16_t>(static_cast<uint16_t>(top + consoleState.pageRows - 1));
    if (!console->setWindowPosition(info.windowLeft, top, info.windowRight, bottom))
        return reportConsoleFailure("Set window position", console->lastError());
    return 0;
}

int setNormalAttribute() {
    return setAttributeOrFail(consoleState.normalAttribute, "Normal Mode");
}

int setReverseAttribute() {
    return setAttributeOrFail(consoleState.reverseAttribute, "Reverse Mode");
}

RowEnd wrapsAtLastCell(int c, int pageColumns, int *column) {
    if (c != '\n' && (*column)++ % pageColumns != 0) return RowGoesOn;
    *column = 1;
    return RowEndsAfterByte;
}

RowEnd defersWrap(int c, int pageColumns, int *column) {
    if (c == '\n') {
        *column = 1;
        return RowEndsAfterByte;
    }
    if (*column <= pageColumns) {
        ++*column;
        return RowGoesOn;
    }
    // The byte wraps the full row and takes the next row's first cell.
    *column = 2;
    return RowEndsBeforeByte;
}

int putConsoleChar(int c) {
    RowEnd end = console->rowFinished(c, consoleState.pageColumns, &consoleState.screenColumn);
    // A byte that starts a new row waits for the prompt of a full page, so
    // that it shows at the top of the next page.
    if (end == RowEndsBeforeByte && morePrompt(false) < 0) return -1;
    writeOutputByte(c);
    return end == RowEndsAfterByte ? morePrompt(false) : 0;
}

int putOutputString(const char *text) {
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text); *p; ++p) {
        int result = *p == '\f' ? putFormFeed() : putOutputChar(*p);
        if (result < 0) return -1;
    }
    return 0;
}

int putFormFeed() {
    if (morePrompt(true) < 0) return -1;
    consoleState.screenColumn = 1;
    if (!consoleState.isConsole) writeOutputByte('\f');
    return 0;
}

void putOverstruck(const char *text) {
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text); *p; ++p) {
        writeOutputByte('_');
        writeOutputByte('\b');
        writeOutputByte(*p);
    }
}

int morePrompt(bool pageBreak) {
    if (!consoleState.isConsole) return 0;
    // The page was blanked at start, so the run's first break needs no prompt.
    if (pageBreak && !consoleState.firstBreakDone) {
        consoleState.firstBreakDone = true;
        return 0;
    }
    consoleState.rowCount++;
    if (consoleState.rowCount % consoleState.pageRows != 0 && !pageBreak) return 0;

    flushOutput();
    ScreenInfo info;
    uint16_t inForce = consoleState.normalAttribute;
    if (console->getScreenInfo(&info)) inForce = info.attribute;
    console->setTextAttribute(consoleState.reverseAttribute);
    for (const char *p = PromptText; *p; ++p)
        writeOutputByte(*p);
    flushOutput();

    int key = readPromptKey();
    if (key < 0) return -1;
    console->setTextAttribute(consoleState.normalAttribute);
    if (key == 0) {
        consoleState.exitStatus = 0;
        return -1;
    }
    if (clearPage() < 0) return -1;
    console->setTextAttribute(inForce);
    return 0;
}

int clearPage() {
    if (!consoleState.isConsole) return 0;
    flushOutput();
    // A new page: a window that was resized since takes effect now.
    ScreenInfo info;
    if (console->resizable && console->getScreenInfo(&info)) takePageSize(&info);
    if (moveToPageOrigin() < 0) return -1;
    console->writeBlankPage(consoleState.blankPage, consoleState.blankPageSize);
    if (moveToPageOrigin() < 0) return -1;
    consoleState.rowCount = 1;
    return 0;
}

int reportConsoleFailure(const char *caption, uint32_t code) {
    flushOutput();
    console->showFailure(caption, code);
    // The attribute in force at start is only known on a console; setting an
    // unknown one could leave the user's console black on black.
    if (consoleState.isConsole) console->setTextAttribute(consoleState.normalAttribute);
    consoleState.exitStatus = 1;
    return -1;
}
