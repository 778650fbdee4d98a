// Tests of the output layer on a (fake) console: set-up, row counting, the
// "-More-" prompt and its keys, page breaks, attribute order, buffered
// output, and the failure boxes.
#include <stdlib.h>

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

// The calls of one prompt answered with key, up to the re-blanked page.
std::string prompt(char key, const std::string &inForce = "7", int pageSize = 30,
                   bool first = false) {
    return std::string("info | attr 70 | out -More- | ") + (first ? "conin | " : "") +
           "mode 1f1 | key " + key + " | mode 1f7 | attr 7 | cursor 0,0 | blank " +
           std::to_string(pageSize) + " | cursor 0,0 | attr " + inForce;
}

const std::string SetUp10x3 = "info | blank 30 | info | cursor 0,0 | window 0,0,9,2";

TEST(ConsolePaging, SetsUpThePageAndPromptsAfterAllButTheLastRow) {
    setConsole(10, 3, "xy", "1\n2\n3\n4\n5\n");
    EXPECT_EQ(0, runFakePager("f|a.c\n"));
    // Two text rows, the prompt on the third; the console input is opened at
    // the first prompt only.
    EXPECT_EQ(SetUp10x3 + " | out 1\n2\n | " + prompt('x', "7", 30, true) + " | out 3\n4\n | " +
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
    setConsole(4, 3, "xyz", "abcd\n");
    EXPECT_EQ(0, runFakePager("f|a.c\n"));
    EXPECT_NE(std::string::npos, callLog().find("out abcd\n | info | attr 70 | out -More-"));
    setConsole(4, 3, "xyz", "abcde\n");
    EXPECT_EQ(0, runFakePager("f|a.c\n"));
    EXPECT_NE(std::string::npos, callLog().find("out abcde\n | info | attr 70 | out -More-"));
    setConsole(4, 3, "xyz", "abc\n");
    EXPECT_EQ(0, runFakePager("f|a.c\n"));
    EXPECT_EQ(std::string::npos, callLog().find("-More-"));

    // A one-row window prompts after every row.
    setConsole(10, 1, "abc", "1\n2\n3\n");
    EXPECT_EQ(0, runFakePager("f|a.c\n"));
    EXPECT_EQ("1\n-More-2\n-More-3\n-More-", fake.out);
    EXPECT_EQ("", fake.keys);
}

TEST(ConsolePaging, QuitKeysEndWithStatusZeroAndLeaveThePage) {
    for (char key : std::string("q\x1a")) {
        setConsole(10, 3, std::string(1, key) + "x", "1\n2\n3\n4\n5\n");
        EXPECT_EQ(0, runFakePager("f|a.c\n"));
        std::string log = callLog();
        EXPECT_EQ(SetUp10x3 +
                      " | out 1\n2\n | info | attr 70 | out -More- | conin | mode 1f1 | key " +
                      key + " | mode 1f7 | attr 7",
                  log);
    }
    // Only lower-case q quits.
    setConsole(10, 3, "Q", "1\n2\n3\n");
    EXPECT_EQ(0, runFakePager("f|a.c\n"));
    EXPECT_NE(std::string::npos, fake.out.find("3\n"));
    // Console input at its end: no byte is a quit, not a loop or a stale key.
    setConsole(10, 3, "", "1\n2\n3\n4\n5\n");
    EXPECT_EQ(0, runFakePager("f|a.c\n"));
    EXPECT_EQ(1, fake.useCounts["key"]);
    EXPECT_EQ(std::string::npos, fake.out.find("3\n"));
}

TEST(ConsolePaging, FirstPageBreakIsAbsorbedAndOnlyThenDoesTheEndPrompt) {
    // No form feed: no closing prompt.
    setConsole(10, 25, "", "a\n");
    EXPECT_EQ(0, runFakePager("f|a.c\n"));
    EXPECT_EQ(std::string::npos, callLog().find("-More-"));
    // The first form feed does not prompt, the second does at once, and the
    // end of the run then prompts too.
    setConsole(10, 25, "xy", "a\fb\fc\n");
    EXPECT_EQ(0, runFakePager("f|a.c\n"));
    EXPECT_EQ("info | blank 250 | info | cursor 0,0 | window 0,0,9,24 | out ab | " +
                  prompt('x', "7", 250, true) + " | out c\n | " + prompt('y', "7", 250),
              callLog());
    // The console gets no form feed bytes.
    EXPECT_EQ("ab-More-c\n-More-", fake.out);
    // A form feed from a plain text argument is a page break too.
    setConsole(10, 25, "x", "");
    EXPECT_EQ(0, runFakePager("t|\f\f\n"));
    EXPECT_EQ("-More-\n-More-", fake.out);
}

TEST(ConsolePaging, RestoresTheReverseAttributeAfterAPromptInsideAHighlight) {
    setConsole(4, 3, "x", "abcdefgh\n");
    EXPECT_EQ(0, runFakePager("f|a.c\n+ 1 1\n"));
    EXPECT_EQ("info | blank 12 | info | cursor 0,0 | window 0,0,3,2 | attr 70 | out abcdefgh | " +
                  prompt('x', "70", 12, true) + " | attr 7 | out \n",
              callLog());
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

TEST(ConsoleOutput, WritesTextBeforeAnErrorMessageThatFollowsIt) {
    setConsole(80, 25, "");
    EXPECT_EQ(0, runFakePager("t|plain\nf|nothere\nt|after\n"));
    EXPECT_EQ("info | blank 2000 | info | cursor 0,0 | window 0,0,79,24 | out plain\n | "
              "err can't open nothere\n | out after\n",
              callLog());
}

TEST(ConsoleAttributes, ReverseSwapsTheLowByteNibblesOnly) {
    EXPECT_EQ(0x70, reverseOf(0x07));
    EXPECT_EQ(0xF1, reverseOf(0x1F));
    EXPECT_EQ(0x71, reverseOf(0x4017));
    EXPECT_EQ(0x00, reverseOf(0xFF00));
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
