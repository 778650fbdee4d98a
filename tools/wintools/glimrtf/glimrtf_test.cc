// Unit tests of glimrtf's filter: the style state machine, escapes and the two
// ways of ending. The header, block cutting and text streams are checked by
// the end-to-end tests and the fuzzer.
#include "glimrtf.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

const std::string B = "\\plain\\f2\\fs20\\b ", BI = "\\plain\\f2\\fs20\\b\\i ",
                  P = "\\plain\\f2\\fs20 ", lineEnd = "\n\\par " + P,
                  end = std::string("\\par }\n") + '\0';

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
    startRtf(&filter, &sink);
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

TEST(GlimrtfFilter, StylesCopiedBytesAndEndings) {
    std::string header = convert("");
    header.resize(header.size() - end.size());
    std::string odd = std::string("\r\x01\x7f\x80\xe9\xff", 6) + '\0' + "z";
    const std::pair<std::string, std::string> cases[] = {
        // Plain characters return to the saved style; nothing while Bold or Plain.
        {"\n\na\n" + mark("xy") + "z",
         lineEnd + lineEnd + "a" + lineEnd + BI + "xy" + P + "z" + end},
        // A line feed returns to Plain, after a run in a bold line too.
        {"\f" + mark("x") + "y" + mark("x") + "\ny",
         B + BI + "x" + B + "y" + BI + "x" + lineEnd + "y" + end},
        // A form feed always writes Bold; inside a run the saved style stays Plain.
        {"a\f\fb", P + "a" + B + B + "b" + end},
        {"a" + mark("x") + "\f" + mark("y") + "z",
         P + "a" + BI + "x" + B + BI + "y" + B + "z" + end},
        // A tab neither consults nor changes the style.
        {"a" + mark("x") + "\t" + mark("y") + "b", P + "a" + BI + "x\\tab y" + P + "b" + end},
        // A lone underscore or backspace is plain, the next byte handled on its own.
        {"a__\bx_\n_\t_\fa\bx",
         P + "a_" + BI + "x" + P + "_" + lineEnd + "_\\tab _" + B + "a\bx" + end},
        // Overstruck bytes go straight out, whatever they are; a complete mark ends.
        {"a" + mark("_\n\f\t\b"), P + "a" + BI + "_\n\f\t\b" + end},
        // Before any style string, an overstruck character is bold italic.
        {mark("x") + "y", BI + "x" + P + "y" + end},
        {"\t\t" + mark("xy") + "z", "\\tab \\tab " + BI + "xy" + P + "z" + end},
        // Bytes other than the escaped ones are copied as they are.
        {odd + mark(odd), P + odd + BI + odd + end},
        // A mark the input cuts short is plain text, after a run too.
        {"_", P + "_" + end},
        {mark("x") + "_\b", BI + "x" + P + "_\b" + end},
        {"a__", P + "a__" + end},
    };
    for (const auto &c : cases)
        EXPECT_EQ(convert(c.first), header + c.second) << "input: " << c.first;
}

} // namespace
