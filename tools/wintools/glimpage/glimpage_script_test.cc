// Tests of the highlight script reader: its grammar, its strict reading of
// malformed lines, and hostile input (long arguments and numbers, NUL bytes).
#include <string>

#include <gtest/gtest.h>

#include "glimpage_script.h"

namespace {

// Every command read from script as "letter line column |argument", one per
// line; a last call that returned false is shown as "end", after the
// command it stored (if any) in brackets.
std::string readAll(const std::string &script) {
    ByteSource source;
    initMemorySource(&source, script.data(), script.size());
    std::string log;
    for (;;) {
        int letter = -1;
        int32_t line = 0, column = 0;
        const char *argument = nullptr;
        bool more = readScriptCommand(&source, &line, &column, &letter, &argument);
        std::string command;
        if (letter >= 0)
            command =
                (letter == '\n' ? std::string("LF") : std::string(1, static_cast<char>(letter))) +
                " " + std::to_string(line) + " " + std::to_string(column) + " |" +
                (argument ? argument : "");
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

} // namespace
