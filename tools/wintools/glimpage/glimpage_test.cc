// The pager over the memory platform (on Windows also the failure boxes' texts).
#include <gtest/gtest.h>

#include "characters.h"
#include "glimpage_test_platform.h"

#ifdef _WIN32
#include <windows.h>

#include "config_win32.h"
#endif

using namespace std::string_literals;
const size_t Npos = std::string::npos;

namespace {

// The commands read from script, a line each; "unended" without a line feed.
std::string readAll(const std::string &script) {
    resetFake();
    fake.script = script;
    unsigned char block[16];
    ByteSource source;
    initByteSource(&source, memoryPlatform.readInput, nullptr, block, sizeof block);
    std::string log;
    ScriptCommand c;
    for (bool more = true; more;) {
        c.letter = -1;
        more = readScriptCommand(&source, &c.line, &c.column, &c.letter, &c.argument);
        char text[48];
        snprintf(text, sizeof text, "%s%c %d %d |", more ? "" : "unended ", c.letter, c.line,
                 c.column);
        if (c.letter >= 0) log += text + std::string(c.argument) + "\n";
    }
    return log;
}

TEST(ScriptReader, ReadsTheGrammarWithoutResynchronising) {
    const struct {
        std::string script, commands;
    } cases[] = {
        // The end column is inclusive: stored one further on, -c as -(c + 1).
        {"+ 3 5\n- 3 5\n-\t-1 -1\nf|file.c\nh 2 1|\nt  12\t \t7|a | b\n+\n",
         "+ 3 5 |\n- 3 6 |\n- -1 -2 |\nf 0 0 |file.c\nh 2 1 |\nt 12 7 |a | b\n+ 0 0 |\n"},
        // An empty line's line feed is a letter; a blank or CR ends a command.
        {"\n+ 3 5\nh 1 1 |x\n", "\n 0 0 |\n  3 5 |\nh 1 1 |\n| 0 0 |\nunended \n 0 0 |\n"},
        {"+ 1 2\r\n", "+ 1 2 |\nunended \n 0 0 |\n"},
        // Numbers wrap modulo 2^32; arguments are cut to 1023 bytes.
        {"+ 4294967297 4294967295\n- 99999999999999999999 -2147483648\n- 1 4294967295\n",
         "+ 1 -1 |\n- 1661992959 2147483647 |\n- 1 0 |\n"},
        {"t 1 1|" + std::string(1030, 'x') + "\n", "t 1 1 |" + std::string(1023, 'x') + "\n"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.commands, readAll(c.script)) << testing::PrintToString(c.script);
}

// Overstruck text: bytes between [ and ] marked ('_', backspace, byte), ~ 8 spaces.
std::string overstruck(const std::string &text) {
    std::string out;
    bool marked = false;
    for (char c : text) {
        if (c == '[' || c == ']')
            marked = c == '[';
        else
            out += c == '~' ? "        "s : (marked ? "_\b"s : ""s) + c;
    }
    return out;
}

TEST(Driver, MergesScriptAndTextIntoOverstruckOutput) {
    // Each script starts with f|a.c.
    const std::string regions = "+ 2 3\n- 2 5\n",
                      headers = "h|x y\nH|ab\nT|cd\nt|\nt|p\fq\nh|a\fb\nh|\nm\nT|abc\nf|a.c\n";
    const struct {
        const char *option;
        std::string script, text, out, err = "";
    } cases[] = {
        // Blanks, tab spaces and line ends are never marked, also under -r.
        {"", regions, "x\ty z\nabcdefg\n", "x       y z\nab[cde]fg\n"},
        {"-ur", regions, "x\ty z\nabcdefg\n", "[x]       [y] [z]\n[ab]cde[fg]\n"},
        // Tab stops every 8 columns; the margin from line 4 on, before the
        // mark; a form feed keeps the column (a margin again at line start).
        {"", "m 4 1\n+ 6 1\n- 6 1\n+ 8 1\n- 8 3\n",
         "\tA\n1234567\tB\n12345678\tC\n\tD\n\nxy\n\fq\na\tb\na\f\tb\n",
         "~A\n1234567 B\n12345678~C\n~~D\n~\n~[x]y\n~\f~q\n~[a]       [b]\n~a\f       b\n"},
        // Headers mark every byte, under -r too; both count columns.
        {"", headers, "\tX\n", "[x y]\n[ab]cd\np\fq\n[a\fb]\n\nabc     X\n"},
        {"-r", headers, "\tX\n", "[x y]\n[ab]cd\np\fq\n[a\fb]\n\nabc     [X]\n"},
        // Nesting; a close at depth 0 does not cancel the later open.
        {"", "+ 1 1\n+ 1 3\n- 1 4\n- 1 6\n- 1 6\n+ 1 8\n", "abcdefgh\n", "[abcdef]g[h]\n"},
        // Output off counts positions; the script ending then ends the run.
        {"", "O 2 1\n+ 2 2\no 3 2\n- 3 2\n", "ab\ncd\nefg\nh\n", "ab\n[f]g\nh\n"},
        {"", "+ 1 2\nO 2 1\n", "ab\ncd\n", "a[b]\n"},
        // Line 0 is reached at once, a negative column on the next line, a
        // negative line at the end of the file; an unended command never.
        {"", "t 0 0|zero\nt 0 9|nine\n+ 1 2\n- 1 -1\nt 3 -1|after3\nt -1 0|end\nt|x",
         "l1\nl2\nl3\nl4\n", "zero\nnine\nl[1]\nl2\nl3\nafter3\nl4\nend\n"},
        // Without a text file commands run at once; a second file closes the first.
        {"", "f|no.c\nt 5 5|1\nf|a.c\n+ 1 2\nf 2 3|b.c\n- 2 1\nf 3 1|no.h\nt 9 9|2\n",
         "one\ntwo three\n", "1\no[ne]\n[tw][b1]\n[b]2\n2\n", "can't open no.c\ncan't open no.h\n"},
        // A NUL byte ends an argument, not the text.
        {"", "\0 1 1\nt|x\0y\nf|a.c\0ignored\n+ 1 1\n- 1 3\n"s, "a\0b\0\n"s, "x\n[a]\0[b]\0\n"s},
    };
    for (const auto &c : cases) {
        resetFake();
        fake.files = {{"a.c", c.text}, {"b.c", "b1\nb2\nb3\n"}};
        char name[] = "glimpage", *argv[] = {name, const_cast<char *>(c.option)};
        bool sense;
        EXPECT_EQ(0, parsePagerOptions(c.option[0] ? 2 : 1, argv, &sense));
        EXPECT_EQ(0, runFake("f|a.c\n" + c.script, sense));
        EXPECT_EQ(overstruck(c.out), fake.out) << c.option << " " << c.script;
        EXPECT_EQ(c.err, fake.err);
    }
}

TEST(Driver, AFailedReadEndsItsInputAndTheRunFailsWithStatusOne) {
    // A text file is closed where it failed; the script goes on as after its end.
    resetFake();
    fake.files = {{"a.c", "ab\n"}};
    fake.fileFails = true;
    EXPECT_EQ(1, runFake("f|a.c\n+ 1 2\nt 9 9|after\n"));
    EXPECT_EQ(overstruck("a[b]\nafter\n"), fake.out);
    EXPECT_EQ("a.c: "s + strerror(EIO) + "\n", fake.err);
    // A script ends the run where it failed, without its unended command.
    resetFake();
    fake.scriptFails = true;
    EXPECT_EQ(1, runFake("t|one\nt|two"));
    EXPECT_EQ("one\n", fake.out);
    EXPECT_EQ("standard input: "s + strerror(EIO) + "\n", fake.err);
}

#ifndef _WIN32
TEST(Driver, HighlightsAndMarksWholeCharactersOfTheLocale) {
    ASSERT_EQ(0, setupCharacters("C.UTF-8"));
    const std::string all = "+ 1 1\n- 1 99\n";
    const struct {
        std::string script, text, out;
    } cases[] = {
        // Marked once, whatever its bytes; tab stops count cells.
        {all, "\u00e9\tx \u03a9\t\u4e2d\n", "_\b\u00e9       _\bx _\b\u03a9     _\b\u4e2d\n"},
        // A combining accent is a character of its own; controls and invalid
        // bytes are never marked.
        {all, "e\u0301\u009b\x9b\n", "_\be_\b\u0301\u009b\x9b\n"},
        // A command inside a character runs at its byte: the character is then bytes.
        {"+ 1 2\n- 1 9\n", "\u4e2dx\n", "\u4e2d_\bx\n"},
        // Headers mark each character once and count its cells.
        {"H|\u4e2d \n", "\tx\n", "_\b\u4e2d_\b      x\n"},
    };
    for (const auto &c : cases) {
        resetFake();
        fake.files = {{"a.c", c.text}};
        EXPECT_EQ(0, runFake("f|a.c\n" + c.script));
        EXPECT_EQ(c.out, fake.out) << c.script;
    }
    // In the C locale bytes beyond ASCII are no characters: never marked.
    setupCharacters("C");
    resetFake();
    fake.files = {{"a.c", "\u00e9\tx\n"}};
    runFake("f|a.c\n" + all);
    EXPECT_EQ("\u00e9      _\bx\n", fake.out);
}
#endif

TEST(ConsolePaging, PromptsAtFullPagesAndFormFeeds) {
    const struct {
        int columns, rows;
        std::string keys, script, out;
    } cases[] = {
        // A page of 3 rows holds 2 of text; a full-width row counts two.
        {4, 3, "x", "t|abcd\n", "abcd\n-More-"},
        // Only q, Ctrl+Z and no key at all (console input at its end) quit.
        {10, 3, "Q\x1a", "t|1\nt|2\nt|3\nt|4\nt|5\nt|6\n", "1\n2\n-More-3\n4\n-More-"},
        {10, 3, "q", "t|1\nt|2\nt|3\n", "1\n2\n-More-"},
        {10, 3, "", "t|1\nt|2\nt|3\n", "1\n2\n-More-"},
    };
    for (const auto &c : cases) {
        resetFake(c.columns, c.rows, c.keys);
        EXPECT_EQ(0, runFake(c.script));
        EXPECT_EQ(c.out, fake.out) << c.script;
    }
}

TEST(ConsoleFailures, ShowTheStepsCaptionRestoreTheAttributeAndEndWithStatusOne) {
    // Each console call of a run (set-up, header, prompts) fails in turn: the
    // box's caption, or "-" when the run goes on ("not a console", or ignored).
    const std::string script = "h|x\nt|\f\f\n";
    resetFake(80, 25, "xx");
    runFake(script);
    std::string captions;
    for (int call = 1, calls = fake.calls; call <= calls; call++) {
        resetFake(80, 25, "xx");
        fake.failingCall = call;
        int status = runFake(script);
        captions += (fake.err.empty() ? "-" : fake.err) + "|";
        EXPECT_EQ(fake.err.empty() ? 0 : 1, status) << call;
        // The attribute is restored once known; so is the input mode.
        EXPECT_EQ(status == 1 && call > 1, fake.log.find("box 1234 | attr 7 | ") != Npos) << call;
        EXPECT_TRUE(fake.err != "More read" || fake.log.find("key | mode 7 | box") != Npos);
    }
    EXPECT_EQ("Invalid std handle|-|Write file|-|Set cursor position|Set window position|"
              "Reverse Mode|Normal Mode|-|-|More In|More mode in|More mode out|More read|"
              "Reset more mode|-|Set cursor position|-|Set cursor position|-|-|-|More mode in|"
              "More mode out|More read|Reset more mode|-|Set cursor position|-|Set cursor "
              "position|-|",
              captions);
    // A window no page can be made for fails the page write for want of memory.
    resetFake(0, 25);
    EXPECT_EQ(1, runFake("t|never\n"));
    EXPECT_EQ("handles | info | box " + std::to_string(NotEnoughMemoryCode) +
                  " | attr 7 | Write file",
              fake.log + fake.err);
}

TEST(FailureBoxes, ShowTheSystemsTextAsWrittenOrTheErrorNumber) {
    char fallback[FailureTextSize];
    EXPECT_STREQ("error 4294967295", failureText(nullptr, 0xFFFFFFFFu, fallback));
    EXPECT_STREQ("error 536914893", failureText("", 0x2000ABCDu, fallback));
#ifdef _WIN32
    // A text with an insert comes as written: nothing is read for the %1.
    char *text = systemErrorText(ERROR_BAD_EXE_FORMAT);
    ASSERT_NE(nullptr, text);
    EXPECT_NE(nullptr, strstr(text, "%1")) << text;
    LocalFree(text);
#endif
}

} // namespace
