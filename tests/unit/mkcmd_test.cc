// Tests of mkcmd: argument quoting and the growing string it is built on.
#include "mkcmd.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <random>
#include <string>
#include <vector>

// The allocator that the tool module provides, here with a switch that makes
// the n-th allocation from now fail (0: none fails).
static int allocationsUntilFailure = 0;
static int allocationsFailed = 0;

void *allocOrReport(int size) {
    if (allocationsUntilFailure > 0 && --allocationsUntilFailure == 0) {
        allocationsFailed++;
        return nullptr;
    }
    return malloc((size_t)size);
}

static std::string quotedForm(const std::string &text) {
    char *q = quoteArg(text.c_str());
    EXPECT_NE(q, nullptr);
    std::string result = q ? q : "<null>";
    free(q);
    return result;
}

// The C runtime's splitting of a command line after the program name (the
// rules of Microsoft's runtime since 2008, which Wine's follows).
static std::vector<std::string> splitCommandLine(const std::string &line) {
    std::vector<std::string> args;
    size_t i = 0;
    for (;;) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            i++;
        if (i == line.size()) return args;
        std::string arg;
        bool inQuotes = false;
        while (i < line.size() && (inQuotes || (line[i] != ' ' && line[i] != '\t'))) {
            size_t slashes = 0;
            while (i < line.size() && line[i] == '\\') {
                slashes++;
                i++;
            }
            if (i < line.size() && line[i] == '"') {
                arg.append(slashes / 2, '\\');
                if (slashes % 2 == 1) {
                    arg += '"';
                } else if (inQuotes && i + 1 < line.size() && line[i + 1] == '"') {
                    arg += '"';
                    i++;
                } else {
                    inQuotes = !inQuotes;
                }
                i++;
            } else {
                arg.append(slashes, '\\');
                if (i < line.size() && (inQuotes || (line[i] != ' ' && line[i] != '\t')))
                    arg += line[i++];
            }
        }
        args.push_back(arg);
    }
}

TEST(QuoteArg, DocumentedExamples) {
    EXPECT_EQ(quotedForm("D:\\cov\\lib\\revedor.exe"), "D:\\cov\\lib\\revedor.exe");
    EXPECT_EQ(quotedForm("D:\\Program Files\\cov\\lib\\xconfig.tcl"),
              "\"D:\\Program Files\\cov\\lib\\xconfig.tcl\"");
    EXPECT_EQ(quotedForm("say \"hi\""), "\"say \\\"hi\\\"\"");
    EXPECT_EQ(quotedForm("a\"b"), "a\\\"b");
    EXPECT_EQ(quotedForm("a\\\"b"), "a\\\\\\\"b");
    EXPECT_EQ(quotedForm("a\\\\\"b"), "a\\\\\\\\\\\"b");
    EXPECT_EQ(quotedForm("a\\\\b"), "a\\\\b");
    EXPECT_EQ(quotedForm("\\\\server\\share\\x.tcl"), "\\\\server\\share\\x.tcl");
    EXPECT_EQ(quotedForm("\"quoted\""), "\\\"quoted\\\"");
    EXPECT_EQ(quotedForm("x y\\\"z"), "\"x y\\\\\\\"z\"");
}

TEST(QuoteArg, PlainTextComesBackUnchanged) {
    EXPECT_EQ(quotedForm("abc"), "abc");
    EXPECT_EQ(quotedForm("dir\\"), "dir\\");
    EXPECT_EQ(quotedForm("dir\\\\\\"), "dir\\\\\\");
    EXPECT_EQ(quotedForm("\\"), "\\");
    EXPECT_EQ(quotedForm("caf\xe9\xa0\x85"), "caf\xe9\xa0\x85"); // high bytes are not white space
    EXPECT_EQ(quotedForm("\""), "\\\"");
}

TEST(QuoteArg, WhiteSpaceWrapsAndIsKept) {
    for (char c : std::string("\t\n\v\f\r ")) {
        std::string text = std::string("a") + c + "b";
        EXPECT_EQ(quotedForm(text), "\"" + text + "\"") << (int)c;
    }
    EXPECT_EQ(quotedForm(" "), "\" \"");
}

TEST(QuoteArg, EmptyAndTrailingBackslashesOfWrappedArguments) {
    EXPECT_EQ(quotedForm(""), "\"\"");
    EXPECT_EQ(quotedForm("a b\\"), "\"a b\\\\\"");
    EXPECT_EQ(quotedForm("a b\\\\\\"), "\"a b\\\\\\\\\\\\\"");
    EXPECT_EQ(quotedForm("C:\\Program Files\\"), "\"C:\\Program Files\\\\\"");
    EXPECT_EQ(splitCommandLine(quotedForm("a b\\")), std::vector<std::string>{"a b\\"});
}

// Random strings over the bytes that matter to the parser, quoted, joined by
// single spaces and split again: every one must come back whole.
TEST(QuoteArg, JoinedArgumentsSplitBackToTheInputs) {
    std::mt19937 random(20261206);
    const std::string alphabet = "ab \t\"\\\\\\\"x\n";
    std::vector<std::string> inputs;
    std::string line;
    for (int i = 0; i < 5000; i++) {
        std::string text;
        int length = (int)(random() % 12);
        for (int j = 0; j < length; j++)
            text += alphabet[random() % alphabet.size()];
        inputs.push_back(text);
        line += (i ? " " : "") + quotedForm(text);
    }
    std::vector<std::string> args = splitCommandLine(line);
    ASSERT_EQ(args.size(), inputs.size());
    for (size_t i = 0; i < inputs.size(); i++)
        ASSERT_EQ(args[i], inputs[i]) << "input " << i;
}

TEST(AppendText, GrowsReplacesAndKeeps) {
    const char *t = "abc";
    char *s = appendText(nullptr, t, -1);
    ASSERT_NE(s, nullptr);
    EXPECT_STREQ(s, "abc");
    EXPECT_EQ(appendText(s, t, 0), s);
    s = appendText(s, t, 2);
    EXPECT_STREQ(s, "abcab");
    s = appendText(s, t, 50); // the text ends first
    EXPECT_STREQ(s, "abcababc");
    free(s);
    EXPECT_EQ(appendText(nullptr, t, 0), nullptr);
    s = appendText(nullptr, "", 5);
    ASSERT_NE(s, nullptr);
    EXPECT_STREQ(s, "");
    free(s);
}

// Every allocation of a quoting in turn fails: the result is null (never a
// cut-off argument) and nothing leaks (AddressSanitizer checks that).
TEST(OutOfMemory, FailsWholeAndReleasesEverything) {
    const char *text = "x y\\\"z \\\\ end\\";
    bool succeeded = false;
    for (int failAt = 1; failAt < 30 && !succeeded; failAt++) {
        allocationsUntilFailure = failAt;
        allocationsFailed = 0;
        char *q = quoteArg(text);
        bool failed = allocationsFailed > 0;
        allocationsUntilFailure = 0;
        if (!failed) {
            EXPECT_STREQ(q, "\"x y\\\\\\\"z \\\\ end\\\\\"");
            free(q);
            succeeded = true;
            continue;
        }
        EXPECT_EQ(q, nullptr) << failAt;
    }
    EXPECT_TRUE(succeeded);
    allocationsUntilFailure = 1;
    char *s = (char *)malloc(4);
    strcpy(s, "abc");
    EXPECT_EQ(appendText(s, "def", -1), nullptr); // s released, not leaked
    allocationsUntilFailure = 0;
}
