// glimhtml's filter: elements, escapes, shown controls, characters, the end
// and the title. The page around the listing: golden output; block cutting
// and well-formedness: the fuzzer; the command line: end-to-end tests.
#include "characters.h"
#include "glimhtml_filter.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The page, or the listing in it: between "<body>\n" and "</body>".
std::string page(const std::string &input, const char *title = "t", bool body = true) {
    char buffer[8192];
    BlockSink sink = {buffer, sizeof buffer, 0, [](BlockSink *) {}, nullptr};
    HtmlFilter filter;
    startHtml(&filter, &sink, title);
    filterHtml(&filter, reinterpret_cast<const unsigned char *>(input.data()), input.size());
    finishHtml(&filter);
    std::string text(buffer, sink.used);
    size_t start = text.find("<body>\n") + 7;
    return body ? text.substr(start, text.rfind("</body>") - start) : text;
}

std::string line(int n, const std::string &text) {
    return "<span id=\"L" + std::to_string(n) + "\">" + text + "</span>";
}

std::string shown(const std::string &form) {
    return "<span class=\"c\">" + form + "</span>";
}

const std::string C1 = shown("&lt;U+0081&gt;"), NoChar = "\xef\xbf\xbd";

TEST(GlimhtmlFilter, ElementsEscapesControlsAndCharacters) {
    setupCharacters("C.UTF-8"); // on Windows the code page, 1252 under Wine
    const bool windows = systemCodePage() != nullptr;
    const std::string cases[][2] = {
        {"", ""},
        {"a<b&c>\"\n\n", "<pre>" + line(1, "a&lt;b&amp;c&gt;\"") + "\n" + line(2, "") + "\n</pre>"},
        // One <mark> per run; a tab keeps it open, a plain character ends it.
        {"x_\ba_\bb\t_\b<_\b  y", "<pre>" + line(1, "x<mark>ab\t&lt; </mark> y") + "</pre>"},
        // A form feed: a new page unless the page is empty, the rest of the
        // line bold, runs inside it too; a line it cuts goes on unnumbered.
        {"\fh_\bi\fj\n\f\fk\f\n", "<pre>" + line(1, "<b>h<mark>i</mark></b>") +
                                      "</pre><pre><b>j</b>" + "\n</pre><pre>" +
                                      line(2, "<b>k</b>") + "</pre>\n"},
        // Controls shown, overstruck ones too; unfinished marks are text; a
        // carriage return that ends a line is left out.
        {"\x1b\x7f\r_\b\n_\b\f_\b_\b__\r\n_\b",
         "<pre>" +
             line(1, shown("^[") + shown("^?") + shown("^M") + "<mark>" + shown("^J") +
                         shown("^L") + "_</mark>" + shown("^H") + "__") +
             "\n" + line(2, "_" + shown("^H")) + "</pre>"},
        // Characters beyond ASCII in UTF-8; an invalid byte (or a cut one) as U+FFFD.
        {windows ? "\xe9\x81_\b\x80\n" : "\xc3\xa9\xc2\x81_\b\xe2\x82\xac\n\xff_\b\xe4\xb8",
         windows ? "<pre>" + line(1, "é" + C1 + "<mark>€</mark>") + "\n</pre>"
                 : "<pre>" + line(1, "é" + C1 + "<mark>€</mark>") + "\n" +
                       line(2, NoChar + "<mark>" + NoChar + "</mark>" + NoChar) + "</pre>"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(page(c[0]), c[1]) << "input: " << c[0];
    EXPECT_NE(page("", windows ? "\"a&\x7f\xe9\"" : "\"a&\x7f\xc3\xa9\"", false)
                  .find("<title>&quot;a&amp;^?é&quot;</title>"),
              std::string::npos);
}

} // namespace
