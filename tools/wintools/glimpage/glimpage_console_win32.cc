// glimpage_win32.cc: the pager's system layer on Windows: the console calls,
// the failure boxes, and standard streams and text files in the C runtime's
// text mode (a carriage return before a line feed is dropped on reading,
// Ctrl+Z ends a text input, a line feed is written as CR LF).
#include <errno.h>
#include <stdint.h>
#include <stdio.h>
#include <windows.h>

#include "glimpage_output.h"
#include "glimpage_platform.h"
#include "glimpage_stream.h"
#include "glimpage_win32.h"
#include "orviconf.h"
#include "sysio.h"

namespace {

HANDLE outputHandle = INVALID_HANDLE_VALUE;
HANDLE consoleInput = INVALID_HANDLE_VALUE;

// The descriptors are in binary mode (set once, at start-up or on opening) and
// the text mode is applied here, block by block, exactly as the runtime's text
// streams apply it.
int writeOutput(const unsigned char *bytes, int count) {
    static unsigned char expanded[2 * 32768];
    while (count > 0) {
        int piece = count < 32768 ? count : 32768;
        size_t length = expandLineFeeds(bytes, static_cast<size_t>(piece), expanded);
        if (writeDescriptor(1, expanded, length) != 0) return errno;
        bytes += piece;
        count -= piece;
    }
    return 0;
}

bool standardHandlesValid() {
    outputHandle = GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE inputHandle = GetStdHandle(STD_INPUT_HANDLE);
    return outputHandle != INVALID_HANDLE_VALUE && inputHandle != INVALID_HANDLE_VALUE;
}

bool getScreenInfo(ScreenInfo *info) {
    CONSOLE_SCREEN_BUFFER_INFO console;
    if (!GetConsoleScreenBufferInfo(outputHandle, &console)) return false;
    info->bufferWidth = console.dwSize.X;
    info->windowLeft = console.srWindow.Left;
    info->windowTop = console.srWindow.Top;
    info->windowRight = console.srWindow.Right;
    info->windowBottom = console.srWindow.Bottom;
    info->cursorRow = console.dwCursorPosition.Y;
    info->attribute = console.wAttributes;
    return true;
}

bool writeBlankPage(const unsigned char *bytes, int count) {
    DWORD written;
    return WriteFile(outputHandle, bytes, static_cast<DWORD>(count), &written, nullptr) != 0;
}

bool setCursorPosition(ConsoleCell cell) {
    COORD position = {cell.column, cell.row};
    return SetConsoleCursorPosition(outputHandle, position) != 0;
}

bool setWindowPosition(int16_t left, int16_t top, int16_t right, int16_t bottom) {
    SMALL_RECT window = {left, top, right, bottom};
    return SetConsoleWindowInfo(outputHandle, TRUE, &window) != 0;
}

bool setTextAttribute(uint16_t attribute) {
    return SetConsoleTextAttribute(outputHandle, attribute) != 0;
}

bool openConsoleInput() {
    consoleInput =
        CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    return consoleInput != INVALID_HANDLE_VALUE;
}

bool getInputMode(uint32_t *mode) {
    DWORD value;
    if (!GetConsoleMode(consoleInput, &value)) return false;
    *mode = value;
    return true;
}

bool setInputMode(uint32_t mode) {
    return SetConsoleMode(consoleInput, mode) != 0;
}

int readKey(unsigned char *key) {
    DWORD got = 0;
    if (!ReadFile(consoleInput, key, 1, &got, nullptr)) return -1;
    return got == 1 ? 1 : 0;
}

uint32_t lastError() {
    return GetLastError();
}

void showFailure(const char *caption, uint32_t code) {
    char *systemText = systemErrorText(code);
    char fallback[FailureTextSize];
    MessageBoxA(nullptr, failureText(systemText, code, fallback), caption, MB_ICONERROR);
    if (systemText != nullptr) LocalFree(systemText);
}

const ConsoleServices console = {
    standardHandlesValid,
    getScreenInfo,
    writeBlankPage,
    setCursorPosition,
    setWindowPosition,
    setTextAttribute,
    openConsoleInput,
    getInputMode,
    setInputMode,
    readKey,
    lastError,
    showFailure,
    wrapsAtLastCell,
    false,
};

} // namespace

const PagerPlatform *systemPlatform() {
    static const PagerPlatform table = {
        writeOutput,    writeStandardError, readStandardInput, openTextStream,
        readTextStream, closeTextStream,    &console,
    };
    return &table;
}

const char *failureText(const char *systemText, uint32_t code, char fallback[FailureTextSize]) {
    if (systemText != nullptr && systemText[0] != '\0') return systemText;
    snprintf(fallback, FailureTextSize, "error %lu", static_cast<unsigned long>(code));
    return fallback;
}
