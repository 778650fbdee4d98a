// glimrtf's filter: the style state machine, escapes, copied bytes, the end,
// characters beyond ASCII (natively, and in code pages 1252 and 932 under Wine).
// Header, block cutting and text streams: the fuzzer and end-to-end tests.
#include "glimrtf_filter.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string B = "\\plain\\f2\\fs20\\b ", BI = "\\plain\\f2\\fs20\\b\\i ",
                  P = "\\plain\\f2\\fs20 ", lineEnd = "\n\\par " + P,
                  end = std::string("\\par }\n") + '\0';

// The document after its 233-byte header.
std::string body(const std::string &input) {
    char buffer[4096];
    BlockSink sink = {buffer, sizeof buffer, 0, [](BlockSink *) {}, nullptr};
    RtfFilter filter;
    startRtf(&filter, &sink);
    filterRtf(&filter, reinterpret_cast<const unsigned char *>(input.data()), input.size());
    finishRtf(&filter);
    return std::string(buffer + 233, sink.used - 233);
}

TEST(GlimrtfFilter, StylesEscapesCopiedBytesAndTheEnd) {
    const std::string odd = std::string("\r\x01\x7f") + '\0' + "z";
    const std::string cases[][2] = {
        // Plain characters return to the saved style; nothing while Bold or Plain.
        {"\n\na\n_\bx_\byz", lineEnd + lineEnd + "a" + lineEnd + BI + "xy" + P + "z"},
        // A line feed returns to Plain, after a run in a bold line too.
        {"\f_\bxy_\bx\ny", B + BI + "x" + B + "y" + BI + "x" + lineEnd + "y"},
        // A form feed always writes Bold; inside a run the saved style stays.
        {"a_\bx\f_\byz", P + "a" + BI + "x" + B + BI + "y" + B + "z"},
        // A tab neither consults nor changes the style.
        {"a_\bx\t_\byb", P + "a" + BI + "x\\tab y" + P + "b"},
        // A lone underscore or backspace is plain, the next byte handled on its own.
        {"a__\bx_\n_\t_\fa\bx", P + "a_" + BI + "x" + P + "_" + lineEnd + "_\\tab _" + B + "a\bx"},
        // Overstruck bytes go straight out, whatever they are; escapes either way.
        {"a_\b__\b\n_\b\f_\b\t_\b\b_\b{}\\", P + "a" + BI + "_\n\f\t\b\\{" + P + "\\}\\\\"},
        // Before any style string, an overstruck character is bold italic.
        {"_\bxy", BI + "x" + P + "y"},
        {"\t\t_\bx_\byz", "\\tab \\tab " + BI + "xy" + P + "z"},
        {odd, P + odd},
        // A mark the input cuts short is plain text, after a run too.
        {"_\bx_\b", BI + "x" + P + "_\b"},
        {"a__", P + "a__"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(body(c[0]), c[1] + end) << "input: " << c[0];
}

// A mark makes a whole character bold italic. Natively a character beyond
// ASCII is a Unicode escape, signed, in two halves beyond U+FFFF; a byte that
// is no character (also a character cut short by the end) is "\'hh". On
// Windows bytes stay, but for a double-byte character's brace or backslash.
TEST(GlimrtfFilter, CharactersBeyondAscii) {
    setupCharacters("C.UTF-8");
    const unsigned page = systemCodePage() == nullptr ? 0 : systemCodePage()->number;
    const std::string cases[][3] = {
        {"0", "_\bé_\b中_\b😀a\u009b", BI + "\\u233?\\u20013?\\u-10179?\\u-8704?" + P + "a\\u155?"},
        {"0", "\xff_\b\xc3(가 \xe4\xb8", P + "\\'ff" + BI + "\\'c3" + P + "(\\u-21504? \\'e4\\'b8"},
        {"1252", "\x80\xe9\xff_\b\xe9", P + "\x80\xe9\xff" + BI + "\xe9"},
        {"932", "_\b\x82\xa0x\x83\\_\b\x83{\xe9\xff",
         BI + "\x82\xa0" + P + "x\x83\\'5c" + BI + "\x83\\'7b" + P + "\xe9\xff"},
    };
    for (const auto &c : cases) {
        if (c[0] != std::to_string(page)) continue;
        EXPECT_EQ(body(c[1]), c[2] + end) << "input: " << c[1];
    }
}

} // namespace
