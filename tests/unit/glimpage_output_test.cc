// Tests of the output layer on a (fake) console: set-up, row counting, the
// "-More-" prompt and its keys, page breaks, attribute order, buffered
// output, and the failure boxes.
#include <stdlib.h>
#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "glimpage_fake_platform.h"
#include "glimpage_output.h"
#include "glimpage_pager.h"

namespace {

// A console window of columns x rows whose cursor is on the window's last
// row; the text file a.c holds text.
void setConsole(int columns, int rows, const std::string &keys, const std::string &text = "") {
    useFakeSystem();
    fake.console = true;
    fake.screen = {columns,
                   0,
                   0,
                   static_cast<int16_t>(columns - 1),
                   static_cast<int16_t>(rows - 1),
                   static_cast<int16_t>(rows - 1),
                   0x07};
    fake.keys = keys;
    fake.files["a.c"] = text;
}

// The calls of one prompt on a 10 x 3 window answered with key, up to the
// re-blanked page.
std::string prompt(char key, bool first = false) {
    return std::string("info | attr 70 | out -More- | ") + (first ? "conin | " : "") +
           "mode 1f1 | key " + key +
           " | mode 1f7 | attr 7 | cursor 0,0 | blank 30 | cursor 0,0 | attr 7";
}

const std::string SetUp10x3 = "info | blank 30 | info | cursor 0,0 | window 0,0,9,2";

TEST(ConsolePaging, SetsUpThePageAndPromptsAfterAllButTheLastRow) {
    setConsole(10, 3, "xy", "1\n2\n3\n4\n5\n");
    EXPECT_EQ(0, runFakePager("f|a.c\n"));
    // Two text rows, the prompt on the third; the console input is opened at
    // the first prompt only.
    EXPECT_EQ(SetUp10x3 + " | out 1\n2\n | " + prompt('x', true) + " | out 3\n4\n | " +
                  prompt('y') + " | out 5\n",
              callLog());
    EXPECT_EQ(1, fake.useCounts["conin"]);

    // The page starts where the blank page left the cursor, in 16 bits.
    setConsole(80, 25, "");
    fake.screen.cursorRow = 300;
    fake.screen.windowTop = 276;
    fake.screen.windowBottom = 300;
    EXPECT_EQ(0, runFakePager(""));
    EXPECT_EQ("info | blank 2000 | info | cursor 0,276 | window 0,276,79,300", callLog());
    setConsole(80, 25, "");
    fake.screen.cursorRow = 3;
    EXPECT_EQ(0, runFakePager(""));
    EXPECT_EQ("info | blank 2000 | info | cursor 0,-21 | window 0,-21,79,3", callLog());
}

TEST(ConsolePaging, CountsFullRowsTwiceWithTheirLineFeedAndPromptsEveryRowOnOneRow) {
    for (const char *text : {"abcd\n", "abcde\n", "abc\n"}) {
        setConsole(4, 3, "xyz", text);
        EXPECT_EQ(0, runFakePager("f|a.c\n"));
        bool prompted = callLog().find(std::string("out ") + text +
                                       " | info | attr 70 | out -More-") != std::string::npos;
        EXPECT_EQ(strlen(text) > 4, prompted) << text;
    }
    // A one-row window prompts after every row.
    setConsole(10, 1, "abc", "1\n2\n3\n");
    EXPECT_EQ(0, runFakePager("f|a.c\n"));
    EXPECT_EQ("1\n-More-2\n-More-3\n-More-", fake.out);
    EXPECT_EQ("", fake.keys);
}

TEST(ConsolePaging, NoKeyByteIsAQuitNotALoop) {
    // Console input at its end: no byte is a quit, not a loop or a stale key.
    setConsole(10, 3, "", "1\n2\n3\n4\n5\n");
    EXPECT_EQ(0, runFakePager("f|a.c\n"));
    EXPECT_EQ(1, fake.useCounts["key"]);
    EXPECT_EQ(std::string::npos, fake.out.find("3\n"));
}

TEST(ConsoleHighlight, SwitchesAttributesInOrderWithTheText) {
    setConsole(80, 25, "", "ab cd\nef\tg\n");
    fake.screen.attribute = 0x1F;
    EXPECT_EQ(0, runFakePager("m\nf|a.c\n+ 1 4\n- 2 -1\n"));
    // Reverse at the first visible byte, normal at each line end, and the
    // margin of a line whose first byte is highlighted shown reversed.
    const std::string margin(8, ' ');
    EXPECT_EQ("info | blank 2000 | info | cursor 0,0 | window 0,0,79,24 | out " + margin +
                  "ab  | attr f1 | out cd | attr 1f | out \n | attr f1 | out " + margin +
                  "ef      g | attr 1f | out \n",
              callLog());
    EXPECT_EQ(0x1F, consoleState.normalAttribute);
    EXPECT_EQ(0xF1, consoleState.reverseAttribute);

    // Headers: 'h' ends in normal, 'H' stays reversed until plain text.
    setConsole(80, 25, "");
    EXPECT_EQ(0, runFakePager("h|ab\nH|c\nT|d\nt|e\n"));
    EXPECT_EQ("info | blank 2000 | info | cursor 0,0 | window 0,0,79,24 | attr 70 | out ab | "
              "attr 7 | out \n | attr 70 | out c | attr 7 | out de\n",
              callLog());

    // The script ends while output is off and reversed: back to normal, no
    // closing prompt even after a form feed.
    setConsole(80, 25, "", "ab\fcd\n");
    EXPECT_EQ(0, runFakePager("f|a.c\n+ 1 1\nO 1 5\n"));
    EXPECT_EQ("info | blank 2000 | info | cursor 0,0 | window 0,0,79,24 | attr 70 | "
              "out abc | attr 7",
              callLog());
}

TEST(ConsoleOutput, CollectsBytesIntoFewLargeWrites) {
    std::string text;
    for (int i = 0; i < 3000; i++)
        text += std::string(40, static_cast<char>('a' + i % 26)) + "\n";
    setConsole(80, 2000, "x", text);
    EXPECT_EQ(0, runFakePager("f|a.c\n"));
    EXPECT_EQ(text.size() + 6, fake.out.size());
    int writes = 0;
    for (const std::string &call : fake.calls)
        writes += call.compare(0, 4, "out ") == 0;
    EXPECT_LE(writes, 6); // text before and after the prompt, and the prompt
}

struct Failure {
    const char *call;
    int use;
    const char *script;
    const char *caption;
};

TEST(ConsoleFailures, ShowTheStepsCaptionAndEndWithStatusOne) {
    const Failure failures[] = {
        {"blank", 1, "", "Write file"},
        {"cursor", 1, "", "Set cursor position"},
        {"window", 1, "", "Set window position"},
        {"attr", 1, "h|x\n", "Reverse Mode"},
        {"attr", 2, "h|x\n", "Normal Mode"},
        {"conin", 1, "t|\f\f\n", "More In"},
        {"getmode", 1, "t|\f\f\n", "More mode in"},
        {"setmode", 1, "t|\f\f\n", "More mode out"},
        {"setmode", 2, "t|\f\f\n", "Reset more mode"},
        {"key", 1, "t|\f\f\n", "More read"},
        {"cursor", 2, "t|\f\f\n", "Set cursor position"},
        {"cursor", 3, "t|\f\f\n", "Set cursor position"},
    };
    for (const Failure &f : failures) {
        SCOPED_TRACE(std::string(f.call) + " " + std::to_string(f.use));
        setConsole(80, 25, "xx");
        fake.failingCall = f.call;
        fake.failOnCall = f.use;
        fake.failureCode = 1234;
        EXPECT_EQ(1, runFakePager(f.script));
        std::string log = callLog();
        // The box, then the attribute back to normal, then nothing more.
        std::string end = std::string("box ") + f.caption + " 1234 | attr 7";
        ASSERT_GE(log.size(), end.size());
        EXPECT_EQ(end, log.substr(log.size() - end.size()));
    }
    // A failed key read leaves the input mode as it was before the box.
    setConsole(80, 25, "");
    fake.failingCall = "key";
    EXPECT_EQ(1, runFakePager("t|\f\f\n"));
    EXPECT_NE(std::string::npos, callLog().find("key failed | mode 1f7 | box More read 5"));
}

TEST(ConsoleFailures, InvalidHandlesAndAMissingBlankPageEndInAnOrderlyWay) {
    // Before the console is known there is no attribute to restore.
    setConsole(80, 25, "");
    fake.handlesValid = false;
    fake.failureCode = 6;
    EXPECT_EQ(1, runFakePager("t|never\n"));
    EXPECT_EQ("box Invalid std handle 6", callLog());
    EXPECT_EQ("", fake.out);

    // No memory for the blank page: reported as the failed page write, with
    // the system's out-of-memory code.
    setConsole(80, 25, "");
    blankPageAllocator = [](size_t) -> void * { return nullptr; };
    EXPECT_EQ(1, runFakePager("t|never\n"));
    blankPageAllocator = malloc;
    EXPECT_EQ("info | box Write file 8 | attr 7", callLog());

    // A window the page cannot be made for ends the same way instead of
    // dividing by zero later.
    setConsole(0, 25, "");
    EXPECT_EQ(1, runFakePager("t|never\n"));
    EXPECT_EQ("info | box Write file 8 | attr 7", callLog());
}

TEST(ConsoleDetection, NotAConsoleMeansOverstrikeWithoutFurtherConsoleCalls) {
    // Standard output stops being a console after the blank page: the run
    // goes on writing overstruck text.
    setConsole(80, 25, "", "ab\f");
    fake.failingCall = "info";
    fake.failOnCall = 2;
    EXPECT_EQ(0, runFakePager("f|a.c\n+ 1 2\n"));
    EXPECT_EQ("info | blank 2000 | info | out a_\bb\f", callLog());
}

} // namespace
