// glimpage_win32.cc: the pager's system layer on Windows: the console calls,
// the failure boxes, and standard streams and text files through the C
// runtime's text mode (a carriage return before a line feed is dropped on
// reading, Ctrl+Z ends a text input, a line feed is written as CR LF).
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <windows.h>

#include "glimpage_platform.h"
#include "glimpage_win32.h"

namespace {

HANDLE outputHandle = INVALID_HANDLE_VALUE;
HANDLE inputHandle = INVALID_HANDLE_VALUE;
HANDLE consoleInput = INVALID_HANDLE_VALUE;

// Whole blocks go through the runtime's _write and _read on the standard
// descriptors, which do the text-mode translation exactly as its streams do.
void writeOutput(const unsigned char *bytes, int count) {
    while (count > 0) {
        int written = _write(1, bytes, static_cast<unsigned>(count));
        if (written <= 0) return; // as buffered standard output would, write errors are ignored
        bytes += written;
        count -= written;
    }
}

void writeError(const char *text) {
    fputs(text, stderr);
}

int readInput(void *, unsigned char *buffer, int size) {
    return _read(0, buffer, static_cast<unsigned>(size));
}

// Opened as fopen(name, "r") opens it; the bytes are then read in blocks
// through the descriptor, in the same text mode.
void *openTextFile(const char *name) {
    return fopen(name, "r");
}

int readTextFile(void *file, unsigned char *buffer, int size) {
    return _read(_fileno(static_cast<FILE *>(file)), buffer, static_cast<unsigned>(size));
}

void closeTextFile(void *file) {
    fclose(static_cast<FILE *>(file));
}

bool standardHandlesValid() {
    outputHandle = GetStdHandle(STD_OUTPUT_HANDLE);
    inputHandle = GetStdHandle(STD_INPUT_HANDLE);
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
    char *systemText = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM,
                                  nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  reinterpret_cast<char *>(&systemText), 0, nullptr);
    char fallback[FailureTextSize];
    const char *text = failureText(length != 0 ? systemText : nullptr, code, fallback);
    MessageBoxA(nullptr, text, caption, MB_ICONERROR);
    if (systemText != nullptr) LocalFree(systemText);
}

const PagerPlatform win32Platform = {
    writeOutput,
    writeError,
    readInput,
    openTextFile,
    readTextFile,
    closeTextFile,
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
};

} // namespace

const char *failureText(const char *systemText, uint32_t code, char fallback[FailureTextSize]) {
    if (systemText != nullptr && systemText[0] != '\0') return systemText;
    snprintf(fallback, FailureTextSize, "error %lu", static_cast<unsigned long>(code));
    return fallback;
}

const PagerPlatform *systemPlatform() {
    return &win32Platform;
}
