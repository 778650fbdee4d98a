// Unit tests of glimrtf's filter: the style state machine, escapes and the two
// ways of ending. The header, block cutting and text streams are checked by
// the end-to-end tests and the fuzzer.
#include "glimrtf.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string B = "\\plain\\f2\\fs20\\b ";
const std::string BI = "\\plain\\f2\\fs20\\b\\i ";
const std::string P = "\\plain\\f2\\fs20 ";
const std::string lineEnd = "\n\\par " + P;
const std::string end = std::string("\\par }\n") + '\0';
const std::string earlyEnd = "\n\\par }\n";

void collect(RtfSink *sink) {
    static_cast<std::string *>(sink->context)->append(sink->buffer, sink->used);
    sink->used = 0;
}

// The whole document, through the smallest sink so that it flushes often.
std::string convert(const std::string &input) {
    std::string text;
    char buffer[rtfSinkMinimum];
    RtfSink sink = {buffer, sizeof buffer, 0, collect, &text};
    RtfFilter filter;
    startRtf(&filter, &sink, false);
    filterRtf(&filter, reinterpret_cast<const unsigned char *>(input.data()), input.size());
    finishRtf(&filter);
    return text;
}

std::string mark(const std::string &text) {
    std::string marked;
    for (char c : text)
        marked += std::string("_\b") + c;
    return marked;
}

struct Case {
    std::string in, out; // out: the document after the header
};

void expectDocuments(std::initializer_list<Case> cases) {
    std::string header = convert("");
    header.resize(header.size() - end.size());
    for (const Case &c : cases) {
        EXPECT_EQ(convert(c.in), header + c.out) << "input: " << c.in;
    }
}

TEST(GlimrtfFilter, StateTable) {
    expectDocuments({
        {"\n\n", lineEnd + lineEnd + end},
        // Plain characters return to the saved style; nothing while Bold or Plain.
        {"a\n" + mark("xy") + "z", P + "a" + lineEnd + BI + "xy" + P + "z" + end},
        {"\f" + mark("x") + "y", B + BI + "x" + B + "y" + end},
        // A line feed returns to Plain, after a run in a bold line too.
        {"\f" + mark("x") + "\ny", B + BI + "x" + lineEnd + "y" + end},
        // A form feed always writes Bold; inside a run the saved style stays Plain.
        {"a\f\fb", P + "a" + B + B + "b" + end},
        {"a" + mark("x") + "\f" + mark("y") + "z",
         P + "a" + BI + "x" + B + BI + "y" + B + "z" + end},
        // A tab neither consults nor changes the style.
        {"a" + mark("x") + "\t" + mark("y") + "b", P + "a" + BI + "x\\tab y" + P + "b" + end},
        // A lone underscore is plain, the next byte handled on its own; a lone
        // backspace is plain.
        {"a__\bx", P + "a_" + BI + "x" + end},
        {"a_\n_\t_\f", P + "a_" + lineEnd + "_\\tab _" + B + end},
        {"a\bx", P + "a\bx" + end},
        // Overstruck bytes go straight out, whatever they are.
        {"a" + mark("_\n") + "b", P + "a" + BI + "_\n" + P + "b" + end},
        {"a" + mark("\f\t\b"), P + "a" + BI + "\f\t\b" + end},
        // Before any style string, an overstruck character is bold italic.
        {mark("x") + "y", BI + "x" + P + "y" + end},
        {"\t\t" + mark("xy") + "z", "\\tab \\tab " + BI + "xy" + P + "z" + end},
    });
}

TEST(GlimrtfFilter, EscapesAndCopiedBytes) {
    std::string odd = std::string("\r\x01\x7f\x80\xe9\xff", 6) + '\0' + "z";
    expectDocuments({
        {"a\\b{c}", P + "a\\\\b\\{c\\}" + end},
        {"a" + mark("{\\}"), P + "a" + BI + "\\{\\\\\\}" + end},
        {odd, P + odd + end},
        {mark(odd), BI + odd + end},
    });
}

TEST(GlimrtfFilter, MarkCutShortEndsWithoutZeroByte) {
    expectDocuments({
        {"_", earlyEnd},
        {"_\b", earlyEnd},
        {"a" + mark("x") + "_\b", P + "a" + BI + "x" + earlyEnd},
        {"a__", P + "a_" + earlyEnd},
        {mark("x"), BI + "x" + end}, // a complete mark at the end
    });
}

} // namespace
