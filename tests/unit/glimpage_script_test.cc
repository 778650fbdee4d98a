// Tests of the highlight script reader: its grammar, its strict reading of
// malformed lines, and hostile input (long arguments and numbers, NUL bytes).
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "glimpage_script.h"

namespace {

struct Command {
    int letter;
    int32_t line;
    int32_t column;
    std::string argument;
    bool more;
};

// Reads commands until the reader reports the end; the last entry is the
// call that returned false (with whatever it stored).
std::vector<Command> readAll(const std::string &script) {
    ByteSource source;
    initMemorySource(&source, script.data(), script.size());
    std::vector<Command> commands;
    for (;;) {
        Command c = {-1, -7, -7, "<unset>", false};
        const char *argument = nullptr;
        c.more = readScriptCommand(&source, &c.line, &c.column, &c.letter, &argument);
        if (argument != nullptr) c.argument = argument;
        commands.push_back(c);
        if (!c.more) return commands;
    }
}

void expectCommand(const Command &c, int letter, int32_t line, int32_t column,
                   const std::string &argument) {
    EXPECT_EQ(letter, c.letter);
    EXPECT_EQ(line, c.line);
    EXPECT_EQ(column, c.column);
    EXPECT_EQ(argument, c.argument);
    EXPECT_TRUE(c.more);
}

TEST(ScriptReader, ReadsPositionsArgumentsAndTheInclusiveEndColumn) {
    std::vector<Command> c = readAll("+ 3 5\n- 3 5\n-\t-1 -1\nf|file.c\nf 1 1\nh 2 1|\n"
                                     "t  12\t \t7|a | b\n+\n");
    ASSERT_EQ(9u, c.size());
    expectCommand(c[0], '+', 3, 5, "");
    expectCommand(c[1], '-', 3, 6, "");   // stored one further on
    expectCommand(c[2], '-', -1, -2, ""); // -c is stored as -(c + 1)
    expectCommand(c[3], 'f', 0, 0, "file.c");
    expectCommand(c[4], 'f', 1, 1, "");
    expectCommand(c[5], 'h', 2, 1, "");
    expectCommand(c[6], 't', 12, 7, "a | b");
    expectCommand(c[7], '+', 0, 0, ""); // no digits: 0
    EXPECT_FALSE(c[8].more);
}

TEST(ScriptReader, EndsAtOnceOnAnEmptyScriptAndDropsALastLineWithoutLineFeed) {
    std::vector<Command> c = readAll("");
    ASSERT_EQ(1u, c.size());
    EXPECT_FALSE(c[0].more);
    EXPECT_EQ(-1, c[0].letter); // nothing stored

    c = readAll("+ 1 1\n- 1 4");
    ASSERT_EQ(2u, c.size());
    expectCommand(c[0], '+', 1, 1, "");
    EXPECT_FALSE(c[1].more);
    EXPECT_EQ('-', c[1].letter); // read, but reported as the end
    EXPECT_EQ(5, c[1].column);

    c = readAll("h 1 1|no line feed");
    ASSERT_EQ(1u, c.size());
    EXPECT_FALSE(c[0].more);
    EXPECT_EQ("no line feed", c[0].argument);
}

TEST(ScriptReader, DoesNotResynchroniseAfterMalformedLines) {
    // A blank after the column: the command is returned, and its line feed
    // becomes the letter of the next command, which then reads the numbers
    // at the start of the following line.
    std::vector<Command> c = readAll("+ 3 5 \n- 4 1\n");
    ASSERT_EQ(4u, c.size());
    expectCommand(c[0], '+', 3, 5, "");
    // The '-' letter became a sign without digits, 4 the column, and the
    // blank after it ended the command...
    expectCommand(c[1], '\n', 0, 4, "");
    expectCommand(c[2], '1', 0, 0, ""); // ...so "1" became a letter.
    EXPECT_FALSE(c[3].more);

    // An empty line: the command on the next line is lost, read with its
    // letter as the first number's end and the blank after it as a letter.
    c = readAll("\n+ 3 5\n");
    ASSERT_EQ(3u, c.size());
    expectCommand(c[0], '\n', 0, 0, "");
    expectCommand(c[1], ' ', 3, 5, "");
    EXPECT_FALSE(c[2].more);

    // A blank before the bar ends the command; the bar becomes a letter.
    c = readAll("h 1 1 |x\n");
    ASSERT_EQ(3u, c.size());
    expectCommand(c[0], 'h', 1, 1, "");
    expectCommand(c[1], '|', 0, 0, ""); // 'x' ended its (empty) numbers
    EXPECT_EQ('\n', c[2].letter);
    EXPECT_FALSE(c[2].more);
}

TEST(ScriptReader, CutsLongArgumentsAndGoesOnAtTheNextLine) {
    std::string longArgument(2000, 'a');
    for (size_t i = 0; i < longArgument.size(); i++)
        longArgument[i] = static_cast<char>('a' + i % 26);
    std::vector<Command> c = readAll("t 1 1|" + longArgument + "\n+ 2 3\n");
    ASSERT_EQ(3u, c.size());
    EXPECT_EQ(longArgument.substr(0, 1023), c[0].argument);
    expectCommand(c[1], '+', 2, 3, "");

    c = readAll("t 1 1|" + std::string(1023, 'x') + "\n");
    EXPECT_EQ(std::string(1023, 'x'), c[0].argument);
}

TEST(ScriptReader, WrapsLongNumbersModulo32Bits) {
    std::vector<Command> c = readAll("+ 4294967297 4294967295\n- 99999999999999999999 "
                                     "-2147483648\n+ 2147483648 -4294967296\n- 1 4294967295\n");
    ASSERT_EQ(5u, c.size());
    EXPECT_EQ(1, c[0].line);
    EXPECT_EQ(-1, c[0].column);
    EXPECT_EQ(1661992959, c[1].line);   // 99999999999999999999 mod 2^32
    EXPECT_EQ(2147483647, c[1].column); // -(2147483648 + 1) wrapped
    EXPECT_EQ(INT32_MIN, c[2].line);
    EXPECT_EQ(0, c[2].column);
    EXPECT_EQ(0, c[3].column); // 4294967295 + 1 wraps to 0
}

TEST(ScriptReader, KeepsNulBytesAndReadsCarriageReturnsAsTheyCome) {
    // NUL is an ordinary byte: a letter, or part of an argument (which then
    // reads as cut at the NUL).
    std::string script("\0 1 2\nt 1 1|a\0b\n", 16);
    std::vector<Command> c = readAll(script);
    ASSERT_EQ(3u, c.size());
    expectCommand(c[0], 0, 1, 2, "");
    EXPECT_EQ("a", c[1].argument);

    // The reader itself sees bytes: a carriage return before the line feed
    // is taken away by the text stream beneath it on Windows. Left in, it
    // ends the column and the line feed becomes the next letter.
    c = readAll("+ 1 2\r\n");
    ASSERT_EQ(2u, c.size());
    expectCommand(c[0], '+', 1, 2, "");
    EXPECT_EQ('\n', c[1].letter);
    EXPECT_FALSE(c[1].more);
}

} // namespace
