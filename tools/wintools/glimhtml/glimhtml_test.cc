// glimhtml's filter: elements, escapes, shown controls, characters and the
// end; the title and the command line. The page around the listing: golden
// output; block cutting and well-formedness: the fuzzer.
#include "characters.h"
#include "glimhtml_filter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The page, or what it holds between "<body>\n" and "</body>" (body).
std::string page(const std::string &input, const char *title = "t", bool body = true) {
    char buffer[8192];
    HtmlSink sink = {buffer, sizeof buffer, 0, [](HtmlSink *) {}, nullptr};
    HtmlFilter filter;
    startHtml(&filter, &sink, title);
    filterHtml(&filter, reinterpret_cast<const unsigned char *>(input.data()), input.size());
    finishHtml(&filter);
    std::string text(buffer, sink.used);
    size_t start = text.find("<body>\n") + 7;
    return body ? text.substr(start, text.rfind("</body>") - start) : text;
}

const std::string C1 = "<span class=\"c\">&lt;81&gt;</span>", NoChar = "\xef\xbf\xbd";

std::string line(int n, const std::string &text) {
    return "<span id=\"L" + std::to_string(n) + "\">" + text + "</span>";
}

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
        // Controls shown, overstruck ones too; unfinished marks are text.
        {"\x1b\x7f\r_\b\n_\b\f_\b_\b__", "<pre>" +
                                             line(1, "<span class=\"c\">^[</span><span "
                                                     "class=\"c\">^?</span><span class=\"c\">"
                                                     "^M</span><mark><span class=\"c\">^J"
                                                     "</span><span class=\"c\">^L</span>_"
                                                     "</mark><span class=\"c\">^H</span>__") +
                                             "</pre>"},
        {"_\b", "<pre>" + line(1, "_<span class=\"c\">^H</span>") + "</pre>"},
        // A carriage return that ends a line is left out.
        {"a\r\n\r",
         "<pre>" + line(1, "a") + "\n" + line(2, "<span class=\"c\">^M</span>") + "</pre>"},
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

TEST(GlimhtmlFilter, CommandLine) {
    struct Case {
        std::vector<const char *> arguments;
        int result;
        const char *title;
    } const cases[] = {
        {{}, 0, "listing"},      {{"-t", "a b"}, 0, "a b"}, {{"-tx", "-t", "y"}, 0, "y"},
        {{"-t"}, -1, "listing"}, {{"-x"}, -1, "listing"},   {{"file"}, -1, "listing"},
        {{"-"}, -1, "listing"},
    };
    for (const Case &c : cases) {
        std::vector<char *> argv = {const_cast<char *>("glimhtml")};
        for (const char *argument : c.arguments)
            argv.push_back(const_cast<char *>(argument));
        const char *title = "listing";
        EXPECT_EQ(parseHtmlOptions(static_cast<int>(argv.size()), argv.data(), &title), c.result);
        EXPECT_STREQ(title, c.title);
    }
}

} // namespace
