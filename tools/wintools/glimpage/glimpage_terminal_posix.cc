// glimpage_terminal.cc: the native console: a terminal plays the part of the
// Windows console for the pager's output layer, which keeps every paging rule.
// The attribute found at start is normal video and its reverse is reverse
// video (SGR 7, back with SGR 27); blanking the page homes the cursor and
// erases the screen; the page is the whole window, its size taken from the
// terminal at each new page; the prompt's key comes from the controlling
// terminal (/dev/tty), as the script stays on standard input. Rows wrap as
// terminals wrap them: the wrap of a full row waits for the next byte.
//
// The terminal's modes are changed only while the prompt waits for its key,
// and reverse video is on only while highlighted text is written. Whatever
// ends or stops the program meanwhile puts both back: the prompt and the end
// of the run through the output layer, and handlers for the signals that end
// a program (Ctrl+C, Ctrl+\, SIGTERM, SIGHUP) or stop it (Ctrl+Z: restored
// before the stop, applied again once continued). Signals keep working during
// the prompt: only line input and echo are switched off.
#include "glimpage_terminal.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "glimpage_output.h"
#include "sysio.h"

namespace {

// The attribute reported at start: normal video. Any other, the reverse that
// the output layer makes of it, is reverse video.
const uint16_t NormalAttribute = 0x07;

// The console's input mode that getInputMode reports for the terminal's modes
// as found (line input and echo among them); the prompt clears those two.
const uint32_t ModesAsFound = 0x0007;

// A larger side is taken as this one: the output layer allocates a page of
// columns x rows bytes (which a terminal does not need) and LINES may hold
// anything.
const long LargestSide = 4096;

const char ReverseOn[] = "\033[7m";
const char ReverseOff[] = "\033[27m";
const char HomeAndErase[] = "\033[H\033[2J";
const char ErasePromptRow[] = "\r\033[K";

bool onTerminal;     // standard output is a terminal to page on
int keyInput = -1;   // the controlling terminal, -1 when there is none
termios modesFound;  // keyInput's modes, taken at each prompt
termios keyModes;    // the same without line input and echo
sigset_t ourSignals; // the signals handled here

// What the signal handlers put back.
volatile sig_atomic_t keyMode;      // keyInput is in keyModes
volatile sig_atomic_t reverseShown; // the terminal writes in reverse video

// Escape sequences go straight to the terminal: the output layer has flushed
// the text before them. Async-signal-safe.
bool writeSequence(const char *text, size_t length) {
    return writeDescriptor(STDOUT_FILENO, text, length) == 0;
}

template <size_t Size> bool writeSequence(const char (&text)[Size]) {
    return writeSequence(text, Size - 1);
}

// The handlers see the state and the terminal agree: the signals wait while
// both change.
void holdSignals(int how) {
    sigprocmask(how, &ourSignals, nullptr);
}

// Puts back the modes and the video the shell had. Async-signal-safe.
void restoreTerminal() {
    if (keyMode) tcsetattr(keyInput, TCSANOW, &modesFound);
    if (reverseShown) writeSequence(ReverseOff);
}

void endBySignal(int signal) {
    bool atPrompt = keyMode;
    restoreTerminal();
    // The shell's prompt takes the row of ours.
    if (atPrompt) writeSequence(ErasePromptRow);
    ::signal(signal, SIG_DFL);
    raise(signal); // held until this handler returns, then ends the program
}

void stopBySignal(int) {
    int error = errno;
    restoreTerminal();
    // Stopped right here until continued: the default action, let through.
    // (The system does not stop a process that no shell could continue;
    // the run then simply goes on.)
    signal(SIGTSTP, SIG_DFL);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTSTP);
    sigprocmask(SIG_UNBLOCK, &stop, nullptr);
    raise(SIGTSTP);
    signal(SIGTSTP, stopBySignal);
    if (keyMode) tcsetattr(keyInput, TCSANOW, &keyModes);
    if (reverseShown) writeSequence(ReverseOn);
    errno = error;
}

// A signal that is ignored (nohup, a background job) stays ignored.
void handleSignal(int signal, void (*handler)(int)) {
    sigaddset(&ourSignals, signal);
    if (::signal(signal, handler) == SIG_IGN) ::signal(signal, SIG_IGN);
}

// The first service asked for: decides whether the run pages here.
bool startTerminal() {
    const char *term = getenv("TERM");
    onTerminal =
        isatty(STDOUT_FILENO) && term != nullptr && term[0] != '\0' && strcmp(term, "dumb") != 0;
    if (onTerminal) {
        sigemptyset(&ourSignals);
        const int endingSignals[] = {SIGINT, SIGQUIT, SIGTERM, SIGHUP};
        for (int signal : endingSignals)
            handleSignal(signal, endBySignal);
        handleSignal(SIGTSTP, stopBySignal);
    }
    return true;
}

// One side of the page: as the terminal reports it, else from the variable,
// else the fallback.
int pageSide(unsigned short reported, const char *variable, int fallback) {
    long side = reported;
    const char *text = getenv(variable);
    if (side == 0 && text != nullptr) {
        char *end;
        side = strtol(text, &end, 10);
        if (end == text || *end != '\0') side = 0;
    }
    if (side <= 0) return fallback;
    return static_cast<int>(side < LargestSide ? side : LargestSide);
}

bool getScreenInfo(ScreenInfo *info) {
    if (!onTerminal) return false;
    winsize size = {};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0) size = winsize{};
    int rows = pageSide(size.ws_row, "LINES", 24);
    int columns = pageSide(size.ws_col, "COLUMNS", 80);
    // The whole window, the cursor on its last row: the page starts at the top.
    *info = ScreenInfo{columns,
                       0,
                       0,
                       static_cast<int16_t>(columns - 1),
                       static_cast<int16_t>(rows - 1),
                       static_cast<int16_t>(rows - 1),
                       reverseShown ? reverseOf(NormalAttribute) : NormalAttribute};
    return true;
}

bool blankScreen(const unsigned char *, int) {
    return writeSequence(HomeAndErase);
}

bool moveCursor(ConsoleCell cell) {
    char sequence[32];
    int length = snprintf(sequence, sizeof sequence, "\033[%d;%dH", cell.row + 1, cell.column + 1);
    return writeSequence(sequence, static_cast<size_t>(length));
}

// The window is the terminal's own.
bool keepWindow(int16_t, int16_t, int16_t, int16_t) {
    return true;
}

bool setReverse(bool on) {
    if (reverseShown == on) return true;
    holdSignals(SIG_BLOCK);
    reverseShown = on;
    bool written = on ? writeSequence(ReverseOn) : writeSequence(ReverseOff);
    holdSignals(SIG_UNBLOCK);
    return written;
}

bool setTextAttribute(uint16_t attribute) {
    return setReverse(attribute != NormalAttribute);
}

// Without a controlling terminal no key can come: each prompt then reads
// none, which counts as a quit.
bool openKeyInput() {
    keyInput = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    return true;
}

bool getKeyModes(uint32_t *mode) {
    *mode = ModesAsFound;
    if (keyInput < 0) return true;
    if (tcgetattr(keyInput, &modesFound) != 0) return false;
    keyModes = modesFound;
    keyModes.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    keyModes.c_cc[VMIN] = 1;
    keyModes.c_cc[VTIME] = 0;
    return true;
}

bool setKeyModes(uint32_t mode) {
    if (keyInput < 0) return true;
    bool keys = mode != ModesAsFound;
    holdSignals(SIG_BLOCK);
    bool set = tcsetattr(keyInput, TCSANOW, keys ? &keyModes : &modesFound) == 0;
    if (set) keyMode = keys;
    holdSignals(SIG_UNBLOCK);
    return set;
}

int readKey(unsigned char *key) {
    if (keyInput < 0) return 0;
    int got = readDescriptor(keyInput, key, 1);
    if (got < 0) return -1;
    // The prompt has had its answer: its row is left empty for the next page
    // or, after a quit, for the shell.
    setReverse(false);
    writeSequence(ErasePromptRow);
    return got;
}

uint32_t lastError() {
    return static_cast<uint32_t>(errno);
}

void showFailure(const char *caption, uint32_t code) {
    fprintf(stderr, "%s: %s: %s\n", program_invocation_name, caption,
            strerror(static_cast<int>(code)));
}

} // namespace

const ConsoleServices terminalConsole = {
    startTerminal,    getScreenInfo, blankScreen, moveCursor,  keepWindow,
    setTextAttribute, openKeyInput,  getKeyModes, setKeyModes, readKey,
    lastError,        showFailure,   defersWrap,  true,
};
