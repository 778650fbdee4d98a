// Tests of the console output layer on a recording fake console, for what a
// real console in a terminal cannot show: the failure boxes and their
// captions, a blank page that cannot be allocated, console input at its end,
// and rows exactly as wide as the page.
#include <stdlib.h>

#include <string>

#include <gtest/gtest.h>

#include "glimpage_output.h"
#include "glimpage_pager.h"

namespace {

struct FakeConsole {
    ScreenInfo screen;
    std::string keys;        // prompt answers; none left: no byte
    std::string failingCall; // this call fails on its failOnCall-th use
    int failOnCall;
    bool handlesValid;
    std::string out, log; // standard output; calls that matter, in order
    int uses;
} fake;

// Records call in the log and tells whether this use of it is to fail.
bool fails(const std::string &call, const std::string &entry = "") {
    if (!entry.empty()) fake.log += entry + " | ";
    return call == fake.failingCall && ++fake.uses == fake.failOnCall;
}

const ConsoleServices fakeConsole = {
    [] { return fake.handlesValid; },
    [](ScreenInfo *info) {
        *info = fake.screen;
        return !fails("info", "info");
    },
    [](const unsigned char *, int) { return !fails("blank"); },
    [](ConsoleCell) { return !fails("cursor"); },
    [](int16_t, int16_t, int16_t, int16_t) { return !fails("window"); },
    [](uint16_t attribute) { return !fails("attr", "attr " + std::to_string(attribute)); },
    [] { return !fails("conin"); },
    [](uint32_t *mode) {
        *mode = 7;
        return !fails("getmode");
    },
    [](uint32_t mode) { return !fails("setmode", "mode " + std::to_string(mode)); },
    [](unsigned char *key) {
        if (fails("key", "key")) return -1;
        if (fake.keys.empty()) return 0;
        *key = static_cast<unsigned char>(fake.keys[0]);
        fake.keys.erase(0, 1);
        return 1;
    },
    [] { return 1234u; },
    [](const char *caption, uint32_t code) {
        fake.log += std::string("box ") + caption + " " + std::to_string(code) + " | ";
    },
    wrapsAtLastCell,
};
const PagerPlatform fakeTable = {
    [](const unsigned char *bytes, int count) {
        fake.out.append(reinterpret_cast<const char *>(bytes), static_cast<size_t>(count));
    },
    [](const char *) {},
    [](void *, unsigned char *, int) { return 0; },
    [](const char *) -> void * { return nullptr; },
    [](void *, unsigned char *, int) { return 0; },
    [](void *) {},
    &fakeConsole,
};

// A console window of columns x rows whose cursor is on its last row.
void setConsole(int columns = 80, int rows = 25, const std::string &keys = "") {
    int16_t right = static_cast<int16_t>(columns - 1), bottom = static_cast<int16_t>(rows - 1);
    fake = FakeConsole{{columns, 0, 0, right, bottom, bottom, 7}, keys, "", 0, true, "", "", 0};
}

int runFakePager(const std::string &script) {
    setPagerPlatform(&fakeTable);
    ByteSource source;
    initMemorySource(&source, script.data(), script.size());
    return runPager(true, &source);
}

TEST(ConsolePaging, CountsFullWidthRowsTwiceAndTakesNoKeyByteAsAQuit) {
    // A row of exactly the page's width leaves the cursor on the next row.
    const struct {
        int columns, rows;
        const char *keys, *script, *out;
    } cases[] = {
        // A row of exactly the page's width leaves the cursor on the next row.
        {4, 3, "x", "t|abcd\n", "abcd\n-More-"},
        {4, 3, "x", "t|abc\n", "abc\n"},
        // A one-row window prompts after every row.
        {10, 1, "ab", "t|1\nt|2\n", "1\n-More-2\n-More-"},
        // Console input at its end: no byte is a quit, not a loop or a stale key.
        {10, 3, "", "t|1\nt|2\nt|3\nt|4\n", "1\n2\n-More-"},
    };
    for (const auto &c : cases) {
        setConsole(c.columns, c.rows, c.keys);
        EXPECT_EQ(0, runFakePager(c.script));
        EXPECT_EQ(c.out, fake.out) << c.script;
    }
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
        EXPECT_EQ(1, runFakePager("h|x\nt|\f\f\n"));
        std::string end = std::string("box ") + f.caption + " 1234 | attr 7 | ";
        ASSERT_GE(fake.log.size(), end.size());
        EXPECT_EQ(end, fake.log.substr(fake.log.size() - end.size()));
    }
    // The failed key read leaves the input mode as it was before the box.
    EXPECT_NE(std::string::npos, fake.log.find("key | mode 7 | box More read"));

    // Before the console is known there is no attribute to restore.
    setConsole();
    fake.handlesValid = false;
    EXPECT_EQ(1, runFakePager("t|never\n"));
    EXPECT_EQ("box Invalid std handle 1234 | ", fake.log);
    EXPECT_EQ("", fake.out);
}

TEST(ConsoleFailures, AMissingBlankPageIsAFailedPageWrite) {
    // No memory for the blank page, or a window no page can be made for
    // (instead of dividing by zero later), with the out-of-memory code.
    for (int columns : {80, 0}) {
        setConsole(columns);
        if (columns) blankPageAllocator = [](size_t) -> void * { return nullptr; };
        EXPECT_EQ(1, runFakePager("t|never\n"));
        blankPageAllocator = malloc;
        EXPECT_EQ("info | box Write file 8 | attr 7 | ", fake.log);
    }
}

} // namespace
