// Fuzzer of glimhtml's filter, natively in C.UTF-8 or in C (the first byte
// chooses): any input gives the same page however input and output are cut
// into blocks, and the page is well formed: only our elements, each closed in
// order and nested as pages, lines and runs nest, lines numbered one by one,
// and in the listing and the title nothing raw that should be escaped or
// shown (no "<" or ">" but ours, "&" only in our entities, no controls, no
// C1 controls, valid UTF-8).
#include "characters.h"
#include "glimhtml_filter.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

void collect(HtmlSink *sink) {
    static_cast<std::string *>(sink->context)->append(sink->buffer, sink->used);
    sink->used = 0;
}

std::string convert(const uint8_t *data, size_t size, const char *title, size_t block,
                    size_t capacity) {
    std::string text;
    char buffer[HtmlSinkMinimum + 64];
    HtmlSink sink = {buffer, capacity, 0, collect, &text};
    HtmlFilter filter;
    startHtml(&filter, &sink, title);
    for (size_t at = 0; at < size; at += block)
        filterHtml(&filter, data + at, size - at < block ? size - at : block);
    finishHtml(&filter);
    return text;
}

// Steps over one character of text at page[at] (an entity counts as one);
// false for what must not be there raw ('"' in the title).
bool textCharacter(const std::string &page, size_t &at, bool title) {
    for (const std::string entity : {"&amp;", "&lt;", "&gt;", "&quot;"}) {
        if (page.compare(at, entity.size(), entity) != 0) continue;
        at += entity.size();
        return true;
    }
    unsigned char first = static_cast<unsigned char>(page[at++]);
    if (first < 0x80)
        return first == '\t' ||
               (first >= 0x20 && first != 0x7F && !strchr(title ? "<>&\"" : "<>&", first));
    int trail = first >= 0xF5 ? 0 : first >= 0xF0 ? 3 : first >= 0xE0 ? 2 : first >= 0xC2 ? 1 : 0;
    uint32_t code = first & (0x3F >> trail);
    for (int i = 0; i < trail; ++i, ++at) {
        if (at >= page.size() || (page[at] & 0xC0) != 0x80) return false;
        code = code << 6 | (page[at] & 0x3F);
    }
    static const uint32_t least[] = {0x110000, 0xA0, 0x800, 0x10000}; // no C1, no overlong form
    return code >= least[trail] && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
}

bool wellFormed(const std::string &page) {
    size_t at = page.find("<title>") + 7, titleEnd = page.find("</title>");
    while (at < titleEnd)
        if (!textCharacter(page, at, true)) return false;
    const std::string pageEnd = "</body>\n</html>\n";
    size_t end = page.size() - pageEnd.size();
    if (page.compare(end, std::string::npos, pageEnd) != 0) return false;
    // Elements by depth: a page holds lines, a line bold runs, a bold run
    // marks, and a shown control is innermost. A line feed is only in a page
    // or between pages.
    const std::string opening[] = {"<pre>", "<span id=\"L", "<b>", "<mark>", "<span class=\"c\">"};
    const std::string closing[] = {"</pre>", "</span>", "</b>", "</mark>", "</span>"};
    std::vector<int> open;
    uint64_t lines = 0;
    for (at = page.find("<body>\n") + 7; at < end;) {
        if (page[at] == '\n') {
            if (!open.empty() && open.back() != 0) return false;
            ++at;
        } else if (page[at] != '<') {
            if (open.empty() || !textCharacter(page, at, false)) return false;
        } else if (!open.empty() &&
                   page.compare(at, closing[open.back()].size(), closing[open.back()]) == 0) {
            at += closing[open.back()].size();
            open.pop_back();
        } else {
            int depth = 0;
            while (depth < 5 && page.compare(at, opening[depth].size(), opening[depth]) != 0)
                ++depth;
            if (depth == 5 || (depth == 0) != open.empty() || (depth > 0 && open.back() >= depth))
                return false;
            at += opening[depth].size();
            open.push_back(depth);
            if (depth != 1) continue;
            std::string number = std::to_string(++lines) + "\">";
            if (page.compare(at, number.size(), number) != 0) return false;
            at += number.size();
        }
    }
    return open.empty();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    setupCharacters(size > 0 && data[0] % 2 == 1 ? "C" : "C.UTF-8");
    std::string title(reinterpret_cast<const char *>(data), size < 12 ? size : 12);
    title = title.c_str(); // up to a zero byte
    std::string page = convert(data, size, title.c_str(), size + 1, HtmlSinkMinimum + 63);
    if (!wellFormed(page)) abort();
    size_t block = size > 0 ? 1 + data[0] % 13 : 1;
    size_t capacity = HtmlSinkMinimum + (size > 0 ? data[size - 1] % 64 : 0);
    if (convert(data, size, title.c_str(), block, capacity) != page) abort();
    return 0;
}
