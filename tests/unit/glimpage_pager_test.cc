// Tests of the pager's driver in overstrike mode (output not a console): the
// exact bytes written for highlighting, positions, files, margin, tabs, form
// feeds and the header and text commands.
#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "glimpage_fake_platform.h"
#include "glimpage_output.h"
#include "glimpage_pager.h"

namespace {

const std::string Letters = "line one\nabcdefg\nx\n";

// Runs script over the files in overstrike mode; returns standard output.
std::string overstruck(const std::string &script, bool highlightSense = true,
                       const std::string &aFile = Letters) {
    useFakeSystem();
    fake.files["a.c"] = aFile;
    fake.files["b.c"] = "B1\nB2\n";
    int status = runFakePager(script, highlightSense);
    EXPECT_EQ(0, status);
    EXPECT_EQ(0, fake.openFiles) << "a text file was left open";
    return fake.out;
}

TEST(PagerOverstrike, MarksVisibleBytesOfRegionsAndInvertsUnderR) {
    const std::string script = "f|a.c\n+ 2 3\n- 2 5\n";
    EXPECT_EQ("line one\nab_\bc_\bd_\befg\nx\n", overstruck(script));
    // Inverted: blanks and line feeds are never marked.
    EXPECT_EQ("_\bl_\bi_\bn_\be _\bo_\bn_\be\n_\ba_\bbcde_\bf_\bg\n_\bx\n",
              overstruck(script, false));
    // The same region over two lines: spaces inside it stay unmarked.
    EXPECT_EQ("line _\bo_\bn_\be\n_\babcdefg\nx\n", overstruck("f|a.c\n+ 1 5\n- 2 1\n"));
    // Only the console is told about attributes: here no console call at all
    // follows the detection.
    EXPECT_EQ("info | out line _\bo_\bn_\be\n_\babcdefg\nx\n", callLog());
}

TEST(PagerOverstrike, NestedRegionsEndWhenTheDepthReturnsToZero) {
    EXPECT_EQ("_\bl_\bi_\bn_\be _\bo_\bne\nabcdefg\nx\n",
              overstruck("f|a.c\n+ 1 1\n+ 1 3\n- 1 4\n- 1 7\n"));
    // A '-' at depth 0 is ignored, so it does not cancel the later '+'.
    EXPECT_EQ("line one\nab_\bc_\bd_\be_\bf_\bg\n_\bx\n", overstruck("f|a.c\n- 1 1\n+ 2 3\n"));
}

TEST(PagerOverstrike, OutputOffSkipsBytesButKeepsCountingPositions) {
    EXPECT_EQ("lidefg\nx\n", overstruck("f|a.c\nO 1 3\no 2 4\n"));
    // The script ends while output is off: the run ends at once, status 0.
    EXPECT_EQ("line", overstruck("f|a.c\nO 1 5\n"));
    // 'f' switches output back on.
    EXPECT_EQ("linB1\nB2\n", overstruck("f|a.c\nO 1 4\nf 1 6|b.c\n"));
}

TEST(PagerOverstrike, OpensFilesAndReportsTheOnesItCannotOpen) {
    // The first file is closed at the second command's position.
    EXPECT_EQ("line one\nB1\nB2\n", overstruck("f|a.c\nf 2 1|b.c\n"));
    EXPECT_EQ("", fake.err);
    // A missing file: the message, and the following commands run at once
    // whatever their position, until an 'f' succeeds.
    EXPECT_EQ("now\n_\bB_\b1\nB2\n", overstruck("f|nope.c\nt 9 9|now\n+ 5 5\nf|b.c\n- 1 3\n"));
    EXPECT_EQ("can't open nope.c\n", fake.err);
    // A long name is reported whole, up to the reader's argument length.
    std::string longName(1500, 'n');
    overstruck("f|" + longName + "\n");
    EXPECT_EQ("can't open " + longName.substr(0, 1023) + "\n", fake.err);
}

TEST(PagerOverstrike, ExpandsTabsToStopsEveryEightColumns) {
    EXPECT_EQ("        a\n"
              "1234567 b\n"
              "12345678        c\n",
              overstruck("f|a.c\n", true, "\ta\n1234567\tb\n12345678\tc\n"));
    // The spaces of a tab in a highlighted stretch are never marked.
    EXPECT_EQ("_\ba       _\bb\n", overstruck("f|a.c\n+ 1 1\n", true, "a\tb\n"));
}

TEST(PagerOverstrike, MarginIndentsEverySourceLineBeforeAnyMark) {
    EXPECT_EQ("        one\n"
              "        \n"
              "        _\bt_\bw_\bo     _\bx\n"
              "        \f        y\n",
              overstruck("m\nf|a.c\n+ 3 1\n- 3 -1\n", true, "one\n\ntwo\tx\n\fy\n"));
    // Header and text lines get no margin.
    EXPECT_EQ("_\bh\nt\n        z\n", overstruck("m\nh|h\nt|t\nf|a.c\n", true, "z\n"));
}

TEST(PagerOverstrike, WritesFormFeedsAsSingleBytes) {
    EXPECT_EQ("a\fb\n\f", overstruck("f|a.c\n", true, "a\fb\n\f"));
    // Inside a header a form feed is marked like any other byte; inside plain
    // text it is a page break, written as the byte.
    EXPECT_EQ("_\b\f\n\f\n", overstruck("h|\f\nt|\f\n"));
}

TEST(PagerOverstrike, HeaderAndTextCommandsWriteTheirArguments) {
    EXPECT_EQ("_\bx_\b _\by\n", overstruck("h 0 0|x y\n"));
    EXPECT_EQ("plain\n\n", overstruck("t|plain\nt 2 1|\n"));
    // H and T write no line end but move the column that tabs count from.
    EXPECT_EQ("_\ba_\bbcd    ab\n", overstruck("H|ab\nT|cd\nf|a.c\n", true, "\tab\n"));
    // Header text is highlighted under -r too; plain text is not.
    EXPECT_EQ("_\bH\nT\n", overstruck("h|H\nt|T\n", false));
}

TEST(PagerOverstrike, ComparesPositionsAsUnsignedNumbers) {
    const std::string abcd = "a\nb\nc\nd\n";
    // Line 0 is reached at once, before the first byte.
    EXPECT_EQ("X\na\nb\nc\nd\n", overstruck("f|a.c\nt 0 5|X\n", true, abcd));
    // A negative column: after the line feed that ends the line.
    EXPECT_EQ("a\nb\nc\nX\nd\n", overstruck("f|a.c\nt 3 -1|X\n", true, abcd));
    // A negative line: only when the file is exhausted.
    EXPECT_EQ("a\nb\nc\nd\nX\n", overstruck("f|a.c\nt -1 1|X\n", true, abcd));
    // A column beyond the line's end waits for the next line.
    EXPECT_EQ("a\nX\nb\nc\nd\n", overstruck("f|a.c\nt 1 9|X\n", true, abcd));
    // Commands whose position lies beyond the file run after its end.
    EXPECT_EQ("a\nb\nc\nd\nX\nY\n", overstruck("f|a.c\nt 20 1|X\nt 30 1|Y\n", true, abcd));
}

TEST(PagerOverstrike, EmptyAndUnterminatedScriptsWriteNothingMore) {
    EXPECT_EQ("", overstruck(""));
    // A last command without a line feed is not run, but the text goes on.
    EXPECT_EQ("line one\nabcdefg\nx\n", overstruck("f|a.c\n+ 1 1"));
    EXPECT_EQ("", overstruck("t|unterminated"));
    // Unknown letters wait for their position and do nothing.
    EXPECT_EQ("line one\nabcdefg\nx\n", overstruck("f|a.c\nz 2 2|ignored\n? 0 0\n"));
}

TEST(PagerOverstrike, BulkCopyingWritesWhatBytewiseWritingWrites) {
    std::string text;
    for (int i = 0; i < 400; i++)
        text += "\tline " + std::to_string(i) + (i % 7 ? " x=y;\n" : "\f z\r\n");
    const std::string scripts[] = {
        "f|a.c\n+ 3 4\n- 3 9\n+ 9 -1\n- 12 2\nO 20 3\no 30 5\n",
        "m\nf|a.c\n+ 1 1\n- 399 3\nf 200 7|b.c\n",
        "f|a.c\n+ 0 0\nt 5 3|text\nh 6 1|head\n- 100 -1\n",
    };
    for (const std::string &script : scripts) {
        for (bool sense : {true, false}) {
            for (int chunk : {1, 7, 1 << 16}) {
                SCOPED_TRACE(script + " chunk " + std::to_string(chunk));
                ordinaryRuns = false;
                useFakeSystem();
                fake.fileChunk = chunk;
                fake.files["a.c"] = fake.files["b.c"] = text;
                runFakePager(script, sense);
                std::string bytewise = fake.out;
                ordinaryRuns = true;
                useFakeSystem();
                fake.fileChunk = chunk;
                fake.files["a.c"] = fake.files["b.c"] = text;
                runFakePager(script, sense);
                EXPECT_EQ(bytewise, fake.out);
            }
        }
    }
}

// The options of a command line given as one string: the unknown letter
// (or 0) and, after a '/', whether the sense of highlighting stays.
std::string options(std::string line) {
    std::vector<char *> argv;
    for (char *word = strtok(&line[0], " "); word != nullptr; word = strtok(nullptr, " "))
        argv.push_back(word);
    bool sense = false;
    int unknown = parsePagerOptions(static_cast<int>(argv.size()), argv.data(), &sense);
    return (unknown ? std::string(1, static_cast<char>(unknown)) : "0") + (sense ? "/+" : "/-");
}

TEST(PagerOptions, ParsesCombinedLettersAndStopsAtTheFirstOperand) {
    EXPECT_EQ("0/+", options("glimpage"));
    EXPECT_EQ("0/-", options("glimpage -ru"));
    EXPECT_EQ("0/-", options("glimpage -r -u - -x"));
    EXPECT_EQ("0/+", options("glimpage -u script.hls -x"));
    EXPECT_EQ("x/+", options("glimpage -u -x"));
    EXPECT_EQ("x/-", options("glimpage -rx"));
    EXPECT_EQ("-/+", options("glimpage --"));
}

} // namespace
