// glimpage_system_posix.cc: the screen of the native system layer
// (glimpage_system.h), a terminal, driven by the terminal database (terminfo,
// through ncurses' low-level interface).
//
// Sequences come from the database only. Highlighting is reverse video: rev
// turns it on, and sgr0 off, the only way the database offers to end it (it
// ends every attribute, and the pager sets no other). Standout (smso/rmso)
// would be a matched pair, but it is whatever an entry finds most visible:
// italics in the entry of screen and tmux, while the console's highlight is
// reverse video. A page is blanked with clear, or by homing the cursor (home,
// else cup) and clearing to the end of the screen; the prompt's row with cr
// and el. cnorm shows the cursor at the end. A terminal whose entry lacks
// any of these (dumb among them) is not a screen: it gets overstruck text.
//
// Text is shown, never obeyed: a control byte other than a line feed or a tab
// (form feeds end pages before they get here), and DEL, is shown in caret
// notation, ^[ for ESC, in the video of its region, taking two cells; a tab
// runs to the next stop, every 8 cells, as spaces. Rows wrap as the terminal
// wraps them, most of them deferring the wrap of a full row until the next
// character comes; a character that does not fit in what is left of a row
// begins the next one. The page is the whole window, its size taken at each
// new page; a window of fewer than 2 rows or narrower than the prompt is too
// small to page, and the text then flows through it without prompts.
//
// The last page stays: a page is blanked only once the next one has
// something to show, and the prompt's answer erases only the prompt's row. A
// last line without a line feed gets one, so that the shell's prompt starts
// on a fresh row. The page's bytes are kept as the output layer put them,
// with their video, so that the page and its prompt are drawn again when the
// program is continued after a stop.
//
// At the prompt one key is read from the controlling terminal (/dev/tty; the
// script stays on standard input), with line input and echo off for the key
// only: q, Q (and Ctrl+C, as its signal) quit, every other key goes on. A key
// that sends several bytes (an escape sequence, a multibyte character) is one
// key: the rest of it is read and dropped.
//
// The terminal's modes and video are put back on every way out: after the
// key, at the end, and by handlers for the signals that end a program
// (Ctrl+C, Ctrl+\, SIGTERM, SIGHUP) or stop it (Ctrl+Z: put back before the
// stop, the key's modes applied again once continued).
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

// Last: it defines a macro for every capability's long name.
#include <term.h>

#include "characters.h"
#include "glimpage_system.h"
#include "sysio.h"

namespace {

WriteOutput writeOut;

// ---- Sequences from the terminal database ---------------------------------

// A capability as tputs writes it (padding included), kept as bytes so that
// the signal handlers can write it too.
struct Sequence {
    char bytes[128];
    int length;
};

Sequence reverseOn, attributesOff, blankScreen, eraseRow, cursorShown;

Sequence *capturing;

// tputs pads a sequence with NUL bytes for the time a terminal on a serial
// line takes to carry it out; a terminal emulator takes none, so they are
// left out (a sequence itself never holds a NUL).
int captureByte(int c) {
    if (c != '\0' && capturing->length < static_cast<int>(sizeof capturing->bytes))
        capturing->bytes[capturing->length++] = static_cast<char>(c);
    return c;
}

bool present(const char *text) {
    return text != nullptr && text != reinterpret_cast<const char *>(-1);
}

// Appends a capability's string, as tputs writes it for affected rows, to
// *sequence; false when the entry lacks it.
bool addString(Sequence *sequence, const char *text, int affected = 1) {
    if (!present(text)) return false;
    capturing = sequence;
    tputs(text, affected, captureByte);
    return sequence->length < static_cast<int>(sizeof sequence->bytes);
}

bool addCapability(Sequence *sequence, const char *name, int affected = 1) {
    return addString(sequence, tigetstr(name), affected);
}

bool takeBlankScreen(int rows) {
    if (addCapability(&blankScreen, "clear", rows)) return true;
    blankScreen.length = 0;
    const char *address = tigetstr("cup");
    bool home = addCapability(&blankScreen, "home") ||
                (present(address) && addString(&blankScreen, tiparm(address, 0, 0)));
    return home && addCapability(&blankScreen, "ed", rows);
}

// Whether the terminal can be paged on: it has what the screen needs.
bool takeSequences(int rows) {
    Sequence *all[] = {&reverseOn, &attributesOff, &blankScreen, &eraseRow, &cursorShown};
    for (Sequence *sequence : all)
        sequence->length = 0;
    addCapability(&cursorShown, "cnorm");
    return addCapability(&reverseOn, "rev") && addCapability(&attributesOff, "sgr0") &&
           takeBlankScreen(rows) && addCapability(&eraseRow, "cr") &&
           addCapability(&eraseRow, "el");
}

// ---- Output -----------------------------------------------------------------

unsigned char outBuffer[4096];
int outUsed;

void flushTerminal() {
    writeOut(outBuffer, outUsed);
    outUsed = 0;
}

void emit(const void *bytes, int count) {
    const unsigned char *next = static_cast<const unsigned char *>(bytes);
    while (count > 0) {
        if (outUsed == static_cast<int>(sizeof outBuffer)) flushTerminal();
        int room = static_cast<int>(sizeof outBuffer) - outUsed;
        int length = count < room ? count : room;
        memcpy(outBuffer + outUsed, next, static_cast<size_t>(length));
        outUsed += length;
        next += length;
        count -= length;
    }
}

void emit(const Sequence &sequence) {
    emit(sequence.bytes, sequence.length);
}

// The terminal turns it into carriage return and line feed.
void emitLineFeed() {
    emit("\n", 1);
}

bool videoWanted; // the text now put is highlighted
bool videoShown;  // the terminal writes in reverse video

void showVideo(bool reverse) {
    if (videoShown == reverse) return;
    emit(reverse ? reverseOn : attributesOff);
    videoShown = reverse;
}

// ---- The page -----------------------------------------------------------------

// A larger side is taken as this one: LINES and COLUMNS may hold anything.
const long LargestSide = 4096;

const unsigned char PromptText[] = "-More-";
const int PromptLength = sizeof PromptText - 1;

bool deferredWrap; // a full row wraps when the next character comes
bool autoMargins;  // a full row wraps at all

int windowRows; // the window as the current page began
int windowColumns;
bool paging;       // the window is large enough to page
bool blankPending; // the page begun is blanked once it has something to show
// The 1-based cell of the next character on the row; windowColumns + 1
// while the wrap of a full row is deferred.
int column = 1;

// The current page's bytes as put, and the video of each.
unsigned char *pageBytes;
unsigned char *pageVideo;
int pageCapacity;
int pageUsed;
bool pageKept; // every byte of the page is in pageBytes
bool replaying;

// One side of the window: as the terminal reports it, else from the
// variable, else from the database, else the fallback.
int windowSide(unsigned short reported, const char *variable, const char *capability,
               int fallback) {
    long side = reported;
    const char *text = getenv(variable);
    if (side == 0 && text != nullptr) {
        char *end;
        side = strtol(text, &end, 10);
        if (end == text || *end != '\0') side = 0;
    }
    if (side <= 0) side = tigetnum(capability);
    if (side <= 0) side = fallback;
    return static_cast<int>(side < LargestSide ? side : LargestSide);
}

void takeWindowSize() {
    winsize size = {};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0) size = winsize{};
    windowRows = windowSide(size.ws_row, "LINES", "lines", 24);
    windowColumns = windowSide(size.ws_col, "COLUMNS", "cols", 80);
    paging = windowRows >= 2 && windowColumns >= PromptLength;
}

// Keeps the bytes of the page for drawing it again.
void keepOnPage(const unsigned char *bytes, int count) {
    if (!paging || !pageKept || replaying) return;
    if (count > pageCapacity - pageUsed) {
        pageKept = false;
        return;
    }
    memcpy(pageBytes + pageUsed, bytes, static_cast<size_t>(count));
    memset(pageVideo + pageUsed, videoWanted, static_cast<size_t>(count));
    pageUsed += count;
}

// A page holds at most a line feed and a character per cell of each row.
void startKeeping() {
    int64_t need = static_cast<int64_t>(windowRows) * (windowColumns + 1);
    pageUsed = 0;
    pageKept = true;
    if (need <= pageCapacity) return;
    free(pageBytes);
    pageBytes = static_cast<unsigned char *>(malloc(static_cast<size_t>(need) * 2));
    pageCapacity = pageBytes != nullptr ? static_cast<int>(need) : 0;
    pageVideo = pageBytes + pageCapacity;
    pageKept = pageBytes != nullptr;
}

void blankIfPending() {
    if (!blankPending || replaying) return;
    blankPending = false;
    // Erasing in reverse video could paint the screen on some terminals.
    showVideo(false);
    emit(blankScreen);
    column = 1;
    startKeeping();
}

// How a character is shown: the bytes written for it and the cells they take.
struct Shown {
    int consumed;  // bytes of the text it stands for; 0: more are needed
    bool lineFeed; // it ends the row
    int cells;
    int length;
    const unsigned char *text;
    unsigned char form[EscapedFormSize > 8 ? EscapedFormSize : 8];
};

// The one place that knows how the next character looks on the terminal:
// printable characters as they are, in the cells the locale gives them; a
// tab as spaces; everything else in its escaped form. count bytes are at
// next; with atEnd no more follow, so an unfinished character is invalid.
void describe(const unsigned char *next, int count, bool atEnd, Shown *shown) {
    Character c;
    shown->consumed = readCharacter(next, static_cast<size_t>(count), atEnd, &c);
    shown->lineFeed = next[0] == '\n';
    shown->text = next;
    shown->length = c.length;
    shown->cells = c.width;
    if (shown->consumed == 0 || shown->lineFeed) {
        shown->cells = 0;
    } else if (next[0] == '\t') {
        int room = windowColumns - column + 1;
        int cells = 8 - (column - 1) % 8;
        shown->cells = cells > room && room > 0 ? room : cells;
        shown->length = shown->cells;
        memset(shown->form, ' ', static_cast<size_t>(shown->length));
        shown->text = shown->form;
    } else if (c.kind == CharacterKind::Control || c.kind == CharacterKind::Invalid) {
        shown->length = escapedForm(c, next[0], reinterpret_cast<char *>(shown->form));
        shown->cells = shown->length;
        shown->text = shown->form;
    }
}

// Shows the character at next, or ends the row before it. Returns the bytes
// taken: 0 when the row ended before the character (*rowEnds) or when the
// character needs bytes beyond count (and not atEnd). *rowEnds tells
// whether a row was finished.
int showCharacter(const unsigned char *next, int count, bool atEnd, bool *rowEnds) {
    Shown shown;
    describe(next, count, atEnd, &shown);
    *rowEnds = false;
    if (shown.consumed == 0) return 0;
    *rowEnds = true;
    bool rowFull = column > windowColumns;
    if (shown.cells > 0 && (rowFull || (column > 1 && column + shown.cells - 1 > windowColumns))) {
        // The terminal wraps a full row as the character comes; a character
        // that does not fit in what is left of it goes to the next row whole.
        if (!rowFull) emitLineFeed();
        column = 1;
        return 0;
    }
    blankIfPending();
    keepOnPage(next, shown.consumed);
    showVideo(videoWanted);
    emit(shown.text, shown.length);
    column += shown.cells;
    if (shown.lineFeed) {
        column = 1;
    } else if (column > windowColumns && !deferredWrap) {
        // Wrapped as its last cell was written; without automatic margins
        // the cursor would stay at the end of the row.
        if (!autoMargins) emitLineFeed();
        column = 1;
    } else {
        *rowEnds = false;
    }
    return shown.consumed;
}

// The start of a character that a run ended inside of: shown once the next
// run brings the rest (or the output ends).
unsigned char carried[MaxCharacterBytes];
int carriedLength;

// Shows the carried character, completed from bytes[0, count) as far as it
// needs; returns the bytes of the run it took. *rowEnds as showCharacter's.
int showCarried(const unsigned char *bytes, int count, bool atEnd, bool *rowEnds) {
    int own = carriedLength; // the bytes an earlier run ended with
    int taken = 0;
    Character c;
    while (taken < count && carriedLength < MaxCharacterBytes &&
           readCharacter(carried, static_cast<size_t>(carriedLength), false, &c) == 0)
        carried[carriedLength++] = bytes[taken++];
    bool complete = atEnd || carriedLength == MaxCharacterBytes;
    int shown = showCharacter(carried, carriedLength, complete, rowEnds);
    if (shown == 0) {
        if (!*rowEnds) return taken; // still unfinished: the next run brings more
        carriedLength = own;         // shown on the next row, from the start
        return 0;
    }
    // What follows the character goes back to the run it came from (a form
    // feed among it ends a page there); only an earlier run's bytes stay.
    int left = carriedLength - shown;
    int given = left < taken ? left : taken;
    carriedLength = left - given;
    memmove(carried, carried + shown, static_cast<size_t>(carriedLength));
    return taken - given;
}

// ---- Keys and signals ---------------------------------------------------------

int keyInput = -1; // the controlling terminal, -1 when there is none
bool keyInputTried;
termios modesFound; // keyInput's modes, taken at each prompt
termios keyModes;   // the same without line input and echo
sigset_t ourSignals;

// What the signal handlers look at.
volatile sig_atomic_t keyMode;  // keyInput is in keyModes
volatile sig_atomic_t atPrompt; // the prompt waits for its key
volatile sig_atomic_t resumed;  // continued after a stop: draw the page again

// Bytes that come with a key's first byte come at once; a key pressed
// later takes longer than this, in milliseconds.
const int FollowingByteWait = 100;

// Async-signal-safe.
void writeSequence(const Sequence &sequence) {
    writeDescriptor(STDOUT_FILENO, sequence.bytes, static_cast<size_t>(sequence.length));
}

// Puts back the modes and the video the shell had. Async-signal-safe.
void restoreTerminal() {
    if (keyMode) tcsetattr(keyInput, TCSANOW, &modesFound);
    writeSequence(attributesOff);
}

void handleSignal(int signal, void (*handler)(int));

void endBySignal(int signal) {
    restoreTerminal();
    // The shell's prompt takes the row of ours.
    if (atPrompt) writeSequence(eraseRow);
    writeSequence(cursorShown);
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
    handleSignal(SIGTSTP, stopBySignal);
    if (keyMode) tcsetattr(keyInput, TCSANOW, &keyModes);
    resumed = 1;
    errno = error;
}

// Without restarting: a key read in progress returns, so that the page is
// drawn again at once after a stop. A signal that is ignored (nohup, a
// background job) stays ignored.
void handleSignal(int signal, void (*handler)(int)) {
    sigaddset(&ourSignals, signal);
    struct sigaction action = {}, before;
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, &before);
    if (before.sa_handler == SIG_IGN) sigaction(signal, &before, nullptr);
}

bool setKeyMode(bool on) {
    sigprocmask(SIG_BLOCK, &ourSignals, nullptr);
    bool set = tcsetattr(keyInput, TCSANOW, on ? &keyModes : &modesFound) == 0;
    if (set) keyMode = on;
    sigprocmask(SIG_UNBLOCK, &ourSignals, nullptr);
    return set;
}

int fail(const char *step) {
    fprintf(stderr, "%s: %s: %s\n", program_invocation_name, step, strerror(errno));
    return -1;
}

bool readFollowingByte(unsigned char *byte) {
    pollfd ready = {keyInput, POLLIN, 0};
    return poll(&ready, 1, FollowingByteWait) == 1 && read(keyInput, byte, 1) == 1;
}

// Reads and drops the rest of a key that began with first: an escape
// sequence (ESC [ parameters final, ESC O final, or ESC and one byte) or a
// multibyte character.
void dropRestOfKey(unsigned char first) {
    unsigned char c;
    if (first == 0x1B) {
        if (!readFollowingByte(&c)) return; // the Escape key itself
        if (c == '[') {
            while (readFollowingByte(&c) && (c < 0x40 || c > 0x7E)) {
            }
        } else if (c == 'O') {
            readFollowingByte(&c);
        }
    } else if (first >= 0xC0) {
        for (int more = first >= 0xF0 ? 3 : first >= 0xE0 ? 2 : 1; more > 0; more--)
            if (!readFollowingByte(&c)) return;
    }
}

void redraw();

// Reads a key: 1 with its first byte in *key, 0 at the end of the input, -1
// on failure. A stop and continue meanwhile draws the page and prompt again.
int readKey(unsigned char *key) {
    for (;;) {
        ssize_t got = read(keyInput, key, 1);
        if (got >= 0) {
            if (got == 1) dropRestOfKey(*key);
            return static_cast<int>(got);
        }
        if (errno != EINTR) return -1;
        if (resumed) redraw();
    }
}

// The prompt's answer: 1 to go on, 0 to quit, -1 after a failure was shown.
int readAnswer() {
    if (!keyInputTried) {
        keyInputTried = true;
        keyInput = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    }
    // Without a controlling terminal no key can come: the prompt quits.
    if (keyInput < 0) return 0;
    if (tcgetattr(keyInput, &modesFound) != 0) return fail("Get terminal modes");
    keyModes = modesFound;
    keyModes.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    keyModes.c_cc[VMIN] = 1;
    keyModes.c_cc[VTIME] = 0;
    if (!setKeyMode(true)) return fail("Set terminal modes");
    unsigned char key = 0;
    int got = readKey(&key);
    int error = errno;
    if (!setKeyMode(false) && got >= 0) return fail("Reset terminal modes");
    errno = error;
    if (got < 0) return fail("Read key");
    // The end of the terminal's input: nobody can answer any more.
    if (got == 0 || key == 'q' || key == 'Q' || key == 0x03) return 0;
    return 1;
}

// ---- The screen -----------------------------------------------------------------

void showPrompt() {
    // A row the text has begun keeps its text: the prompt takes the next one.
    if (column > 1 && column <= windowColumns) emitLineFeed();
    column = 1;
    showVideo(true);
    emit(PromptText, PromptLength);
}

// The page as it was, after a stop and continue.
void redraw() {
    resumed = 0;
    emit(attributesOff);
    videoShown = false;
    if (paging) {
        emit(blankScreen);
        column = 1;
        bool wanted = videoWanted;
        replaying = true;
        for (int i = 0; pageKept && i < pageUsed;) {
            videoWanted = pageVideo[i] != 0;
            bool rowEnds;
            int shown = showCharacter(pageBytes + i, pageUsed - i, true, &rowEnds);
            i += shown > 0 ? shown : 0;
        }
        replaying = false;
        videoWanted = wanted;
    }
    if (atPrompt) showPrompt();
    flushTerminal();
}

int start(WriteOutput write, int *pageRows) {
    writeOut = write;
    if (!isatty(STDOUT_FILENO)) return 0;
    // 1: TERM names an entry of the database (else there is none, or none
    // that says enough).
    int found = 0;
    setupterm(nullptr, STDOUT_FILENO, &found);
    if (found != 1) return 0;
    takeWindowSize();
    if (!takeSequences(windowRows)) return 0;
    deferredWrap = tigetflag("xenl") > 0;
    autoMargins = tigetflag("am") > 0;
    sigemptyset(&ourSignals);
    const int endingSignals[] = {SIGINT, SIGQUIT, SIGTERM, SIGHUP};
    for (int signal : endingSignals)
        handleSignal(signal, endBySignal);
    handleSignal(SIGTSTP, stopBySignal);
    blankPending = paging;
    *pageRows = paging ? windowRows : 0;
    return 1;
}

int beginPage(int *pageRows) {
    takeWindowSize();
    blankPending = paging;
    *pageRows = paging ? windowRows : 0;
    return 0;
}

int highlight(bool on) {
    videoWanted = on;
    return 0;
}

ScreenStop put(const unsigned char *bytes, int count, int *taken) {
    if (resumed) redraw();
    ScreenStop stop = RunShown;
    int i = 0;
    bool rowEnds = false;
    while (carriedLength > 0 && i < count && !rowEnds)
        i += showCarried(bytes + i, count - i, false, &rowEnds);
    if (rowEnds) stop = RowFinished;
    while (i < count && stop == RunShown) {
        if (bytes[i] == '\f') {
            i++;
            stop = PageBreakAsked;
            continue;
        }
        int shown = showCharacter(bytes + i, count - i, false, &rowEnds);
        if (rowEnds) {
            stop = RowFinished;
        } else if (shown == 0) {
            // The run ends inside a character: the next one brings the rest.
            carriedLength = count - i;
            memcpy(carried, bytes + i, static_cast<size_t>(carriedLength));
            shown = carriedLength;
        }
        i += shown;
    }
    // The rest of the run comes in the next call; a prompt flushes first.
    if (i == count) flushTerminal();
    *taken = i;
    return stop;
}

int prompt() {
    if (resumed) redraw();
    atPrompt = 1;
    showPrompt();
    flushTerminal();
    int answer = readAnswer();
    atPrompt = 0;
    showVideo(false);
    emit(eraseRow);
    column = 1;
    flushTerminal();
    return answer;
}

void finish() {
    if (resumed) redraw();
    // What the output ended inside of is no character.
    bool rowEnds;
    while (carriedLength > 0)
        showCarried(nullptr, 0, true, &rowEnds);
    // The shell's prompt starts on a fresh row.
    if (column != 1) emitLineFeed();
    showVideo(false);
    emit(cursorShown);
    flushTerminal();
}

const PagerScreen TerminalScreen = {start, beginPage, highlight, put, prompt, finish};

} // namespace

const PagerScreen *systemScreen() {
    return &TerminalScreen;
}

bool scriptIsTyped() {
    return isatty(STDIN_FILENO) != 0;
}
