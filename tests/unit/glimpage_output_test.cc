// Tests of the output layer on a (fake) console: set-up, row counting, the
// "-More-" prompt and its keys, attribute order, buffered output, and the
// failure boxes.
#include <stdlib.h>
#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "glimpage_fake_platform.h"
#include "glimpage_output.h"
#include "glimpage_pager.h"

namespace {

// A console window of columns x rows whose cursor is on its last row; the
// text file a.c holds text.
void setConsole(int columns, int rows, const std::string &keys, const std::string &text = "") {
    useFakeSystem();
    fake.console = true;
    int16_t right = static_cast<int16_t>(columns - 1), bottom = static_cast<int16_t>(rows - 1);
    fake.screen = {columns, 0, 0, right, bottom, bottom, 0x07};
    fake.keys = keys;
    fake.files["a.c"] = text;
}

const std::string SetUp80x25 = "info | blank 2000 | info | cursor 0,0 | window 0,0,79,24";

TEST(ConsolePaging, SetsUpThePageAndPromptsAfterAllButTheLastRow) {
    setConsole(10, 3, "xy", "1\n2\n3\n4\n5\n");
    EXPECT_EQ(0, runFakePager("f|a.c\n"));
    // The console input is opened at the first prompt only.
    auto prompt = [](char key, const char *conin) {
        return std::string("info | attr 70 | out -More- | ") + conin + "mode 1f1 | key " + key +
               " | mode 1f7 | attr 7 | cursor 0,0 | blank 30 | cursor 0,0 | attr 7";
    };
    EXPECT_EQ("info | blank 30 | info | cursor 0,0 | window 0,0,9,2 | out 1\n2\n | " +
                  prompt('x', "conin | ") + " | out 3\n4\n | " + prompt('y', "") + " | out 5\n",
              callLog());

    // The page starts where the blank page left the cursor, in 16 bits.
    setConsole(80, 25, "");
    fake.screen.cursorRow = 3;
    EXPECT_EQ(0, runFakePager(""));
    EXPECT_EQ("info | blank 2000 | info | cursor 0,-21 | window 0,-21,79,3", callLog());
}

TEST(ConsolePaging, CountsRowsOfFullWidthTwiceAndTakesNoKeyByteAsAQuit) {
    for (const char *text : {"abcd\n", "abcde\n", "abc\n"}) {
        setConsole(4, 3, "xyz", text);
        EXPECT_EQ(0, runFakePager("f|a.c\n"));
        bool prompted = callLog().find(std::string("out ") + text +
                                       " | info | attr 70 | out -More-") != std::string::npos;
        EXPECT_EQ(strlen(text) > 4, prompted) << text;
    }
    setConsole(10, 1, "abc", "1\n2\n3\n");
    EXPECT_EQ(0, runFakePager("f|a.c\n"));
    EXPECT_EQ("1\n-More-2\n-More-3\n-More-", fake.out);

    // Console input at its end: no byte is a quit, not a loop or a stale key.
    setConsole(10, 3, "", "1\n2\n3\n4\n5\n");
    EXPECT_EQ(0, runFakePager("f|a.c\n"));
    EXPECT_EQ("1\n2\n-More-", fake.out);
}

TEST(ConsoleHighlight, SwitchesAttributesInOrderWithTheText) {
    setConsole(80, 25, "", "ab cd\nef\tg\n");
    fake.screen.attribute = 0x1F;
    EXPECT_EQ(0, runFakePager("m\nf|a.c\n+ 1 4\n- 2 -1\n"));
    // Reverse at the first visible byte, normal at each line end, and the
    // margin of a line whose first byte is highlighted shown reversed.
    const std::string margin(8, ' ');
    EXPECT_EQ(SetUp80x25 + " | out " + margin + "ab  | attr f1 | out cd | attr 1f | out \n | " +
                  "attr f1 | out " + margin + "ef      g | attr 1f | out \n",
              callLog());

    // The script ends while output is off and reversed: back to normal, no
    // closing prompt even after a form feed.
    setConsole(80, 25, "", "ab\fcd\n");
    EXPECT_EQ(0, runFakePager("f|a.c\n+ 1 1\nO 1 5\n"));
    EXPECT_EQ(SetUp80x25 + " | attr 70 | out abc | attr 7", callLog());
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

TEST(ConsoleFailures, ShowTheStepsCaptionRestoreTheAttributeAndEndWithStatusOne) {
    // One script reaches every step: set-up, a header, then a prompting form
    // feed (whose re-blanked page sets the cursor twice).
    const struct {
        const char *call;
        int use;
        const char *caption;
    } failures[] = {
        {"blank", 1, "Write file"},           {"cursor", 1, "Set cursor position"},
        {"window", 1, "Set window position"}, {"attr", 1, "Reverse Mode"},
        {"attr", 2, "Normal Mode"},           {"conin", 1, "More In"},
        {"getmode", 1, "More mode in"},       {"setmode", 1, "More mode out"},
        {"setmode", 2, "Reset more mode"},    {"cursor", 2, "Set cursor position"},
        {"cursor", 3, "Set cursor position"}, {"key", 1, "More read"}, // last: see below
    };
    for (const auto &f : failures) {
        SCOPED_TRACE(std::string(f.call) + " " + std::to_string(f.use));
        setConsole(80, 25, "xx");
        fake.failingCall = f.call;
        fake.failOnCall = f.use;
        fake.failureCode = 1234;
        EXPECT_EQ(1, runFakePager("h|x\nt|\f\f\n"));
        std::string log = callLog(), end = std::string("box ") + f.caption + " 1234 | attr 7";
        ASSERT_GE(log.size(), end.size());
        EXPECT_EQ(end, log.substr(log.size() - end.size()));
    }
    // The failed key read leaves the input mode as it was before the box.
    EXPECT_NE(std::string::npos, callLog().find("key failed | mode 1f7 | box More read"));
}

TEST(ConsoleFailures, InvalidHandlesAndAMissingBlankPageEndInAnOrderlyWay) {
    // Before the console is known there is no attribute to restore.
    setConsole(80, 25, "");
    fake.handlesValid = false;
    fake.failureCode = 6;
    EXPECT_EQ(1, runFakePager("t|never\n"));
    EXPECT_EQ("box Invalid std handle 6", callLog());
    EXPECT_EQ("", fake.out);

    // No memory for the blank page, or a window no page can be made for
    // (instead of dividing by zero later): the failed page write, with the
    // system's out-of-memory code.
    for (int columns : {80, 0}) {
        setConsole(columns, 25, "");
        if (columns) blankPageAllocator = [](size_t) -> void * { return nullptr; };
        EXPECT_EQ(1, runFakePager("t|never\n"));
        blankPageAllocator = malloc;
        EXPECT_EQ("info | box Write file 8 | attr 7", callLog());
    }
}

TEST(ConsoleDetection, NotAConsoleAfterTheBlankPageMeansOverstrikeFromThereOn) {
    setConsole(80, 25, "", "ab\f");
    fake.failingCall = "info";
    fake.failOnCall = 2;
    EXPECT_EQ(0, runFakePager("f|a.c\n+ 1 2\n"));
    EXPECT_EQ("info | blank 2000 | info | out a_\bb\f", callLog());
}

} // namespace
