// glimpage_system_win32.cc: the screen of the Windows system layer
// (glimpage_system.h): the console screen (glimpage_console.cc) over the
// Windows console's own calls, and the failure boxes.
#include <stdint.h>
#include <windows.h>

#include "glimpage_console.h"
#include "glimpage_system.h"
#include "config_win32.h"

namespace {

HANDLE outputHandle = INVALID_HANDLE_VALUE;
HANDLE consoleInput = INVALID_HANDLE_VALUE;

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

const ConsoleServices SystemConsole = {
    standardHandlesValid, getScreenInfo,    writeBlankPage,   setCursorPosition,
    setWindowPosition,    setTextAttribute, openConsoleInput, getInputMode,
    setInputMode,         readKey,          lastError,        showFailure,
};

} // namespace

const PagerScreen *systemScreen() {
    return consoleScreen(&SystemConsole);
}

// A script from a console is read as typed, as it always has been here.
bool scriptIsTyped() {
    return false;
}
