// Unit tests of glimrtf's core: the style state machine, escapes, the two ways
// of ending, independence from how input and output are cut into blocks, and
// the text-stream translation of the Windows build.
#include "glimrtf.h"
#include "glimrtf_textmode.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string header = "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss MS Sans Serif;}"
                           "{\\f1\\froman\\fcharset2 Symbol;}{\\f2\\fmodern\\fprq1 Courier New;}"
                           "{\\f3\\froman Times New Roman;}{\\f4\\froman Times New Roman;}}\n"
                           "{\\colortbl\\red0\\green0\\blue0;}\n"
                           "\\deflang1033\\pard";
const std::string B = "\\plain\\f2\\fs20\\b ";
const std::string BI = "\\plain\\f2\\fs20\\b\\i ";
const std::string P = "\\plain\\f2\\fs20 ";
const std::string lineEnd = "\n\\par " + P;
const std::string end = std::string("\\par }\n") + '\0';
const std::string earlyEnd = "\n\\par }\n";

struct CollectingSink {
    RtfSink sink;
    std::string text;
    char buffer[1024];
    int flushes = 0;
};

void collect(RtfSink *sink) {
    CollectingSink *owner = static_cast<CollectingSink *>(sink->context);
    owner->text.append(sink->buffer, sink->used);
    owner->flushes++;
    sink->used = 0;
}

// Runs the filter over input fed in blocks of blockSize bytes, into a sink of
// the given capacity; returns the whole document.
std::string convert(const std::string &input, size_t blockSize = 4096,
                    size_t capacity = rtfSinkMinimum, bool textStream = false) {
    CollectingSink out;
    out.sink = {out.buffer, capacity, 0, collect, &out};
    RtfFilter filter;
    startRtf(&filter, &out.sink, textStream);
    for (size_t at = 0; at < input.size(); at += blockSize) {
        std::string block = input.substr(at, blockSize);
        filterRtf(&filter, reinterpret_cast<const unsigned char *>(block.data()), block.size());
    }
    finishRtf(&filter);
    EXPECT_EQ(out.sink.used, 0u) << "finishRtf must flush";
    return out.text;
}

// The document after the header, for inputs that end normally.
std::string body(const std::string &input) {
    std::string document = convert(input);
    EXPECT_EQ(document.compare(0, header.size(), header), 0);
    EXPECT_GE(document.size(), header.size() + end.size());
    std::string rest = document.substr(header.size());
    EXPECT_EQ(rest.substr(rest.size() - end.size()), end) << "no complete ending";
    return rest.substr(0, rest.size() - end.size());
}

std::string mark(const std::string &text) {
    std::string marked;
    for (char c : text)
        marked += std::string("_\b") + c;
    return marked;
}

TEST(GlimrtfDocument, HeaderAndEndingFrameEveryDocument) {
    EXPECT_EQ(header.size(), 233u);
    EXPECT_EQ(convert(""), header + end);
    EXPECT_EQ(convert("ab\n"), header + P + "ab" + lineEnd + end);
    // The first plain character selects the plain style, which also ends the
    // header's "\pard" control word.
    EXPECT_EQ(body("x"), P + "x");
    EXPECT_EQ(body("\n\n"), lineEnd + lineEnd);
}

TEST(GlimrtfStateTable, PlainCharactersReturnToTheSavedStyle) {
    // Plain line: the run of overstruck characters returns to Plain.
    EXPECT_EQ(body("a\n" + mark("xy") + "z"), P + "a" + lineEnd + BI + "xy" + P + "z");
    // Bold line: it returns to Bold.
    EXPECT_EQ(body("\f" + mark("x") + "y"), B + BI + "x" + B + "y");
    // A plain character while Bold or Plain writes no style string.
    EXPECT_EQ(body("\fab"), B + "ab");
}

TEST(GlimrtfStateTable, LineFeedsFormFeedsAndTabs) {
    // A line feed always returns to Plain and leaves the saved style alone:
    // after a bold line's run, the saved Bold survives the line end.
    EXPECT_EQ(body("\f" + mark("x") + "\n" + "y"), B + BI + "x" + lineEnd + "y");
    EXPECT_EQ(body("\f" + mark("x") + "\n" + mark("u") + "y"),
              B + BI + "x" + lineEnd + BI + "u" + P + "y");
    // A form feed writes the bold string even in a bold line, and nothing else.
    EXPECT_EQ(body("a\f\fb"), P + "a" + B + B + "b");
    // A form feed inside a run: the saved style is still Plain, so the next
    // plain character after a new run goes back to Plain.
    EXPECT_EQ(body("a" + mark("x") + "\f" + mark("y") + "z"),
              P + "a" + BI + "x" + B + BI + "y" + B + "z");
    // A tab neither consults nor changes the style: the run stays open.
    EXPECT_EQ(body("a" + mark("x") + "\t" + mark("y") + "b"),
              P + "a" + BI + "x" + "\\tab " + "y" + P + "b");
}

TEST(GlimrtfStateTable, UnderscoresAndBackspaces) {
    // An underscore not followed by a backspace is a plain underscore, and
    // the byte after it is handled on its own.
    EXPECT_EQ(body("a__\bx"), P + "a_" + BI + "x");
    EXPECT_EQ(body("a_\n_\t_\f"), P + "a_" + lineEnd + "_\\tab _" + B);
    EXPECT_EQ(body("a_b"), P + "a_b");
    // Overstruck bytes go straight to output, whatever they are.
    EXPECT_EQ(body("a" + mark("_")), P + "a" + BI + "_");
    EXPECT_EQ(body("a" + mark("\n") + "b"), P + "a" + BI + "\n" + P + "b");
    EXPECT_EQ(body("a" + mark("\f\t\b")), P + "a" + BI + "\f\t\b");
    // A backspace without an underscore is an ordinary byte.
    EXPECT_EQ(body("a\bx"), P + "a\bx");
}

TEST(GlimrtfStateTable, OverstruckCharactersBeforeAnyStyleAreBoldItalic) {
    EXPECT_EQ(body(mark("x") + "y"), BI + "x" + P + "y");
    EXPECT_EQ(body("\t\t" + mark("xy") + "z"), "\\tab \\tab " + BI + "xy" + P + "z");
    // From the first style string on the ordinary rules hold: a run that is
    // already bold italic writes nothing more.
    EXPECT_EQ(body(mark("x") + "\t" + mark("y")), BI + "x\\tab y");
}

TEST(GlimrtfEscapes, SpecialCharactersEscapedOthersCopied) {
    EXPECT_EQ(body("a\\b{c}"), P + "a\\\\b\\{c\\}");
    EXPECT_EQ(body("a" + mark("{\\}")), P + "a" + BI + "\\{\\\\\\}");
    EXPECT_EQ(body(mark("{")), BI + "\\{");
    std::string odd = std::string("\r\x01\x7f\x80\xe9\xff", 6) + '\0' + "z";
    EXPECT_EQ(body(odd), P + odd);
    EXPECT_EQ(body(mark(odd)), BI + odd);
}

TEST(GlimrtfEarlyEnd, MarkCutShortEndsWithoutZeroByte) {
    EXPECT_EQ(convert("_"), header + earlyEnd);
    EXPECT_EQ(convert("_\b"), header + earlyEnd);
    EXPECT_EQ(convert("ab\n_"), header + P + "ab" + lineEnd + earlyEnd);
    EXPECT_EQ(convert("a" + mark("x") + "_\b"), header + P + "a" + BI + "x" + earlyEnd);
    // A complete mark at the very end is not an early end.
    EXPECT_EQ(convert(mark("x")), header + BI + "x" + end);
    EXPECT_EQ(convert("a__"), header + P + "a_" + earlyEnd);
}

TEST(GlimrtfBlocks, OutputDoesNotDependOnBlockOrBufferSizes) {
    std::string input;
    for (int i = 0; i < 50; ++i) {
        input += "line " + std::to_string(i) + " " + mark("hit{" + std::to_string(i) + "}") +
                 "\\ _x\t" + (i % 7 == 0 ? "\f" : "") + "tail__\b_\n";
    }
    std::string whole = convert(input, input.size(), 1024);
    for (size_t block : {1, 2, 3, 7, 64}) {
        for (size_t capacity : {static_cast<size_t>(rtfSinkMinimum), size_t{65}, size_t{1000}}) {
            EXPECT_EQ(convert(input, block, capacity), whole) << block << " " << capacity;
        }
    }
    for (const char *tail : {"_", "_\b"}) {
        EXPECT_EQ(convert(input + tail, 1), convert(input + tail, 4096, 1024));
    }
}

// Decodes input as a text stream read in blocks of blockSize bytes, the way
// the Windows stream layer does: a held carriage return goes in front of the
// next block, and alone at the end of the input.
std::string decode(const std::string &input, size_t blockSize) {
    TextReadState state = {false, false};
    std::string result;
    for (size_t at = 0; at < input.size() && !state.ended; at += blockSize) {
        std::string block = state.carriageReturnHeld ? "\r" : "";
        block += input.substr(at, blockSize);
        unsigned char *data = reinterpret_cast<unsigned char *>(&block[0]);
        result.append(block.data(), decodeTextBlock(&state, data, block.size()));
    }
    if (state.carriageReturnHeld) result += '\r';
    return result;
}

TEST(GlimrtfTextStream, ReadingTranslatesLineEndsAndStopsAtControlZ) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"a\r\nb", "a\nb"},
        {"a\rb", "a\rb"},
        {"a\r\r\nb", "a\r\nb"},
        {"a\n\rb\r", "a\n\rb\r"},
        {"\r\n\r\n", "\n\n"},
        {"ab\r\x1axy", "ab\r"},
        {std::string("a\0\x1a\r\n", 5), std::string("a\0", 2)},
        {"\x1a", ""},
    };
    for (const auto &c : cases) {
        for (size_t block : {1, 2, 3, 100}) {
            EXPECT_EQ(decode(c.in, block), c.out) << "block " << block;
        }
    }
    // Once ended, the stream stays ended.
    TextReadState state = {false, false};
    unsigned char first[] = {'a', 0x1a, 'b'};
    unsigned char later[] = {'c', 'd'};
    EXPECT_EQ(decodeTextBlock(&state, first, 3), 1u);
    EXPECT_TRUE(state.ended);
    EXPECT_EQ(decodeTextBlock(&state, later, 2), 0u);
}

std::string withCarriageReturns(const std::string &text) {
    std::string result;
    for (char c : text) {
        if (c == '\n') result += '\r';
        result += c;
    }
    return result;
}

TEST(GlimrtfTextStream, WritingTurnsEveryLineFeedIntoCarriageReturnLineFeed) {
    // Line ends, the header's, both endings and overstruck line feeds; the
    // zero byte stays one byte, a copied carriage return stays as it is.
    for (std::string input : {std::string(), std::string("ab\n\fc\n"), "a\r\n" + mark("\n\n") + "b",
                              std::string("x_\b")}) {
        std::string lineFeeds = convert(input);
        std::string document = convert(input, 3, rtfSinkMinimum, true);
        EXPECT_EQ(document, withCarriageReturns(lineFeeds));
    }
    EXPECT_EQ(convert("", 1, 1000, true).substr(233 + 2), std::string("\\par }\r\n") + '\0');
}

} // namespace
