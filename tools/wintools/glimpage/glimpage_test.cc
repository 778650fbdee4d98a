// Tests of the pager over the memory platform: the script reader's grammar,
// the driver's rules in overstrike mode, and paging and failures on a
// recording console. On Windows also the failure boxes' texts.
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "glimpage_test_platform.h"

#ifdef _WIN32
#include <windows.h>

#include "glimpage_win32.h"
#include "orviconf.h"
#endif

using namespace std::string_literals;

namespace {

// Every command read from script as "letter line column |argument", one per
// line; the last call, which returned false, as "end", after the command it
// stored (if any) in brackets.
std::string readAll(const std::string &script) {
    resetFake();
    fake.script = script;
    unsigned char block[16];
    ByteSource source;
    initByteSource(&source, memoryPlatform.readInput, nullptr, block, sizeof block);
    std::string log;
    for (;;) {
        int letter = -1;
        int32_t line = 0, column = 0;
        const char *argument = nullptr;
        bool more = readScriptCommand(&source, &line, &column, &letter, &argument);
        std::string command;
        if (letter >= 0)
            command = (letter == '\n' ? "LF"s : std::string(1, static_cast<char>(letter))) + " " +
                      std::to_string(line) + " " + std::to_string(column) + " |" + argument;
        if (!more) return log + "end" + (command.empty() ? "" : " [" + command + "]");
        log += command + "\n";
    }
}

TEST(ScriptReader, ReadsTheGrammarWithoutResynchronising) {
    const struct {
        std::string script, commands;
    } cases[] = {
        // The end column is inclusive: stored one further on, -c as -(c + 1).
        {"+ 3 5\n- 3 5\n-\t-1 -1\nf|file.c\nh 2 1|\nt  12\t \t7|a | b\n+\n",
         "+ 3 5 |\n- 3 6 |\n- -1 -2 |\nf 0 0 |file.c\nh 2 1 |\nt 12 7 |a | b\n+ 0 0 |\nend"},
        // A last command without a line feed is read but reported as the end.
        {"h 1 1|no line feed", "end [h 1 1 |no line feed]"},
        // An empty line swallows the command after it; a blank before the
        // bar ends the command and the bar becomes a letter.
        {"\n+ 3 5\nh 1 1 |x\n", "LF 0 0 |\n  3 5 |\nh 1 1 |\n| 0 0 |\nend [LF 0 0 |]"},
        // Numbers wrap modulo 2^32.
        {"+ 4294967297 4294967295\n- 99999999999999999999 -2147483648\n- 1 4294967295\n",
         "+ 1 -1 |\n- 1661992959 2147483647 |\n- 1 0 |\nend"},
        // A carriage return left in ends the column; the line feed is a letter.
        {"+ 1 2\r\n", "+ 1 2 |\nend [LF 0 0 |]"},
        // Arguments are cut to 1023 bytes; the rest of the line is dropped.
        {"t 1 1|" + std::string(1030, 'x') + "\n", "t 1 1 |" + std::string(1023, 'x') + "\nend"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.commands, readAll(c.script)) << testing::PrintToString(c.script);
}

// Overstruck text written readably: every byte between [ and ] is marked
// ('_', backspace, byte), and ~ stands for the 8-space margin.
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

// Runs the pager with the options of a command line, in overstrike mode.
int runWithOptions(const std::string &options, const std::string &script) {
    std::istringstream words(options);
    std::vector<std::string> args{"glimpage"};
    for (std::string word; words >> word;)
        args.push_back(word);
    std::vector<char *> argv;
    for (auto &arg : args)
        argv.push_back(&arg[0]);
    bool sense;
    EXPECT_EQ(0, parsePagerOptions(static_cast<int>(argv.size()), argv.data(), &sense));
    return runFake(script, sense);
}

TEST(Driver, MergesScriptAndTextIntoOverstruckOutput) {
    const std::string regions = "f|a.c\n+ 2 3\n- 2 5\n", regionText = "x\ty z\nabcdefg\n";
    const std::string headers = "h|x y\nH|ab\nT|cd\nt|\nt|p\fq\nh|a\fb\nh 2 1|\nm\nT|abc\nf|a.c\n";
    const std::string headersOut = "[x y]\n[ab]cd\np\fq\n[a\fb]\n\nabc     ";
    const struct {
        std::string options, script, text, out, err;
    } cases[] = {
        {"", "", "", "", ""},
        // Blanks, tab spaces and line ends are never marked, also under -r;
        // "-" or a plain argument ends the options.
        {"", regions, regionText, "x       y z\nab[cde]fg\n", ""},
        {"-u -ur", regions, regionText, "[x]       [y] [z]\n[ab]cde[fg]\n", ""},
        {"-u - -r", regions, regionText, "x       y z\nab[cde]fg\n", ""},
        // Tab stops every 8 columns; the margin from line 4 on, empty lines
        // too, before the mark; a form feed keeps the column, so a margin
        // follows it again at a line start.
        {"", "f|a.c\nm 4 1\n+ 6 1\n- 6 1\n+ 8 1\n- 8 3\n",
         "\tA\n1234567\tB\n12345678\tC\n\tD\n\nxy\n\fq\na\tb\na\f\tb\n",
         "        A\n1234567 B\n12345678        C\n~        D\n~\n~[x]y\n~\f~q\n~[a]       [b]\n"
         "~a\f       b\n",
         ""},
        // Headers mark every byte, under -r too; text, margin and form feeds
        // are plain; both count columns for the next tab stop.
        {"", headers, "\tX\n", headersOut + "X\n", ""},
        {"-r", headers, "\tX\n", headersOut + "[X]\n", ""},
        // Nesting; a close at depth 0 does not cancel the later open.
        {"", "f|a.c\n+ 1 1\n+ 1 3\n- 1 4\n- 1 6\n- 1 6\n+ 1 8\n", "abcdefgh\nij\n",
         "[abcdef]g[h]\n[ij]\n", ""},
        // Output off still counts positions; the script ending while it is
        // off ends the run at once.
        {"", "f|a.c\nO 2 1\n+ 2 2\no 3 3\n- 3 3\n", "line1\nline2\nline3\nline4\n",
         "line1\n[n]e3\nline4\n", ""},
        {"", "f|a.c\n+ 1 2\nO 2 1\n", "line1\nline2\n", "l[ine1]\n", ""},
        // Line 0 is reached at once, a negative column once the next line
        // has begun, a negative line at the end of the file.
        {"", "f|a.c\nt 0 0|zero\nt 0 9|nine\n+ 1 2\n- 1 -1\nt 3 -1|after3\nt -1 0|end\n",
         "l1\nl2\nl3\nl4\n", "zero\nnine\nl[1]\nl2\nl3\nafter3\nl4\nend\n", ""},
        // Without a text file commands run at once; a second file closes the
        // first at its position and the depth goes on.
        {"", "f|missing.c\nt 5 5|after\nf|a.c\n+ 1 2\nf 2 3|b.c\n- 2 1\nf 3 1|gone.c\nt 9 9|end\n",
         "one\ntwo three\n", "after\no[ne]\n[tw][b1]\n[b]2\nend\n",
         "can't open missing.c\ncan't open gone.c\n"},
        // A NUL byte ends an argument, not the text.
        {"", "\0 1 1\nt|x\0y\nf|a.c\0ignored\n+ 1 1\n- 1 3\n"s, "a\0b\0\n"s, "x\n[a]\0[b]\0\n"s,
         ""},
    };
    for (const auto &c : cases) {
        resetFake();
        fake.files = {{"a.c", c.text}, {"b.c", "b1\nb2\nb3\n"}};
        EXPECT_EQ(0, runWithOptions(c.options, c.script));
        EXPECT_EQ(overstruck(c.out), fake.out) << c.options << " " << c.script;
        EXPECT_EQ(c.err, fake.err);
    }
    char argument[] = "-rQ", *argv[] = {argument, argument, nullptr};
    bool sense;
    EXPECT_EQ('Q', parsePagerOptions(2, argv, &sense));
}

TEST(ConsolePaging, PromptsAtFullPagesAndFormFeeds) {
    const struct {
        int columns, rows;
        std::string keys, script, out;
    } cases[] = {
        // A page of 3 rows holds 2 rows of text; a row of exactly the page's
        // width leaves the cursor on the next row.
        {10, 3, "x", "t|1\nt|2\nt|3\n", "1\n2\n-More-3\n"},
        {4, 3, "x", "t|abcd\n", "abcd\n-More-"},
        {4, 3, "x", "t|abc\n", "abc\n"},
        {10, 1, "ab", "t|1\nt|2\n", "1\n-More-2\n-More-"},
        // Only q, Ctrl+Z and no key at all (console input at its end) quit.
        {10, 3, "Q\x1a", "t|1\nt|2\nt|3\nt|4\nt|5\nt|6\n", "1\n2\n-More-3\n4\n-More-"},
        {10, 3, "q", "t|1\nt|2\nt|3\n", "1\n2\n-More-"},
        {10, 3, "", "t|1\nt|2\nt|3\n", "1\n2\n-More-"},
        // The first form feed is absorbed, later ones prompt at once, and a
        // run that had one ends with a prompt.
        {10, 5, "xx", "t|1\f2\f3\n", "12-More-3\n-More-"},
    };
    for (const auto &c : cases) {
        resetFake(c.columns, c.rows, c.keys);
        EXPECT_EQ(0, runFake(c.script));
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
        resetFake(80, 25, "xx");
        fake.failingCall = f.call;
        fake.failOnUse = f.use;
        EXPECT_EQ(1, runFake("h|x\nt|\f\f\n"));
        std::string end = std::string("box ") + f.caption + " 1234 | attr 7 | ";
        ASSERT_GE(fake.log.size(), end.size());
        EXPECT_EQ(end, fake.log.substr(fake.log.size() - end.size()));
    }
    // The failed key read leaves the input mode as it was before the box.
    EXPECT_NE(std::string::npos, fake.log.find("key | mode 7 | box More read"));

    // Before the console is known there is no attribute to restore.
    resetFake(80, 25);
    fake.handlesInvalid = true;
    EXPECT_EQ(1, runFake("t|never\n"));
    EXPECT_EQ("box Invalid std handle 1234 | ", fake.log);
    EXPECT_EQ("", fake.out);

    // No memory for the blank page, or a window no page can be made for
    // (instead of dividing by zero later): the out-of-memory code.
    for (int columns : {80, 0}) {
        resetFake(columns, 25);
        if (columns) blankPageAllocator = [](size_t) -> void * { return nullptr; };
        EXPECT_EQ(1, runFake("t|never\n"));
        blankPageAllocator = malloc;
        EXPECT_EQ("info | box Write file 8 | attr 7 | ", fake.log);
    }
}

#ifdef _WIN32
TEST(FailureBoxes, ShowTheSystemsTextAsWrittenOrTheErrorNumber) {
    char fallback[FailureTextSize];
    EXPECT_STREQ("error 4294967295", failureText(nullptr, 0xFFFFFFFFu, fallback));
    EXPECT_STREQ("error 536914893", failureText("", 0x2000ABCDu, fallback));
    // A text with an insert comes as written: nothing is read for the %1.
    char *text = systemErrorText(ERROR_BAD_EXE_FORMAT);
    ASSERT_NE(nullptr, text);
    EXPECT_NE(nullptr, strstr(text, "%1")) << text;
    LocalFree(text);
}
#endif

} // namespace
