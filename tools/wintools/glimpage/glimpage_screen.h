// glimpage_screen.h: a screen to page on, as the pager's output layer sees it.
// Two screens implement it: the Windows console (glimpage_console.cc) and the
// terminal of native builds (glimpage_system_posix.cc). The output layer
// keeps the paging rules common to both: a page shows its rows less one and
// then the prompt, the run's first page break is absorbed, the page size comes
// with each new page. Everything about how text looks, where rows end and
// what a key means is the screen's.
//
// Functions that can fail report the failure to the user themselves and
// return -1; the run then ends with status 1.
#ifndef ORVI_GLIMPAGE_SCREEN_H
#define ORVI_GLIMPAGE_SCREEN_H

// How a screen writes to standard output: returns 0, or the error of the
// first write that failed (after which nothing more is written).
typedef int (*WriteOutput)(const unsigned char *bytes, int count);

// Where put stopped.
enum ScreenStop {
    RunShown,      // every byte was taken
    RowFinished,   // a row of the page is finished
    PageBreakAsked // the last byte taken was a form feed: end the page here
};

struct PagerScreen {
    // Finds out whether standard output is this screen. Returns 1 when it is:
    // the first page has begun, *pageRows is its height (0: the window is too
    // small to page, so pages have no end). Returns 0 when it is not: the run
    // then writes overstruck text and asks nothing more of the screen.
    // Everything the screen shows goes through write.
    int (*start)(WriteOutput write, int *pageRows);
    // Begins a new page after the prompt's answer to go on: the screen blanks
    // it (at once, or once it has something to show) and gives its height.
    int (*beginPage)(int *pageRows);
    // Highlighted text from now on, or plain text.
    int (*highlight)(bool on);
    // Shows bytes[0, count) up to the first finished row or form feed; *taken
    // is the count of bytes it took. A form feed is never shown.
    ScreenStop (*put)(const unsigned char *bytes, int count, int *taken);
    // Shows the prompt and waits for the answer: 1 to go on, 0 to quit.
    int (*prompt)();
    // The end of the run, however it ends once start returned 1: leaves the
    // screen as the user should find it.
    void (*finish)();
};

#endif
