// Fuzzer of glimhtml's filter, natively in C.UTF-8 or in C (the first byte
// chooses): any input gives the same page however input and output are cut,
// and the page is well formed: only our elements, closed in order and nested
// as pages, lines and runs nest, and in the title and the listing nothing raw
// that should be escaped or shown (no "<", ">" or "&" but ours, no control,
// no C1 control, only valid UTF-8).
#include "characters.h"
#include "glimhtml_filter.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

std::string convert(const uint8_t *data, size_t size, const char *title, size_t block,
                    size_t capacity) {
    std::string page;
    char buffer[HtmlSinkMinimum + 64];
    BlockSink sink = {buffer, capacity, 0,
                      [](BlockSink *s) {
                          static_cast<std::string *>(s->context)->append(s->buffer, s->used);
                          s->used = 0;
                      },
                      &page};
    HtmlFilter filter;
    startHtml(&filter, &sink, title);
    for (size_t at = 0; at < size; at += block)
        filterHtml(&filter, data + at, size - at < block ? size - at : block);
    finishHtml(&filter);
    return page;
}

// Steps over a character of text at page[at], an entity counting as one;
// false for one that must not be there raw: the character model in C.UTF-8
// knows controls (C0, DEL, C1) and bytes that are no UTF-8.
bool textCharacter(const std::string &page, size_t &at, const char *unsafe) {
    for (const std::string entity : {"&amp;", "&lt;", "&gt;", "&quot;"})
        if (page.compare(at, entity.size(), entity) == 0) {
            at += entity.size();
            return true;
        }
    Character c;
    at += readCharacter(reinterpret_cast<const unsigned char *>(page.data()) + at, page.size() - at,
                        true, &c);
    if (c.kind == CharacterKind::Control) return c.code == '\t';
    return c.kind != CharacterKind::Invalid && (c.code >= 0x80 || !strchr(unsafe, c.code));
}

bool wellFormed(const std::string &page) {
    size_t at = page.find("<title>") + 7, end = page.find("</title>");
    while (at < end)
        if (!textCharacter(page, at, "<>&\"")) return false;
    // By depth: a page, a line, bold, a run of marks, a shown control.
    const std::string opening[] = {"<pre>", "<span id=\"L", "<b>", "<mark>", "<span class=\"c\">"};
    const std::string closing[] = {"</pre>", "</span>", "</b>", "</mark>", "</span>"};
    std::vector<int> open;
    end = page.size() - strlen("</body>\n</html>\n");
    for (at = page.find("<body>\n") + 7; at < end;) {
        int depth = 0;
        while (depth < 5 && page.compare(at, opening[depth].size(), opening[depth]) != 0)
            ++depth;
        if (page[at] == '\n' && (open.empty() || open.back() == 0)) {
            ++at; // a line feed, in a page or between pages
        } else if (page[at] != '<') {
            if (open.empty() || !textCharacter(page, at, "<>&")) return false;
        } else if (!open.empty() &&
                   page.compare(at, closing[open.back()].size(), closing[open.back()]) == 0) {
            at += closing[open.back()].size();
            open.pop_back();
        } else if (depth < 5 && (depth == 0) == open.empty() &&
                   (depth == 0 || open.back() < depth)) {
            at += opening[depth].size();
            if (depth == 1) at = page.find_first_not_of("0123456789", at); // the line's number
            if (depth == 1 && page.compare(at, 2, "\">") != 0) return false;
            at += depth == 1 ? 2 : 0;
            open.push_back(depth);
        } else {
            return false;
        }
    }
    return open.empty() && page.compare(end, std::string::npos, "</body>\n</html>\n") == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    setupCharacters(size > 0 && data[0] % 2 == 1 ? "C" : "C.UTF-8");
    std::string title(reinterpret_cast<const char *>(data), size < 12 ? size : 12);
    std::string page = convert(data, size, title.c_str(), size + 1, HtmlSinkMinimum + 63);
    size_t block = size > 0 ? 1 + data[0] % 13 : 1;
    size_t capacity = HtmlSinkMinimum + (size > 0 ? data[size - 1] % 64 : 0);
    if (convert(data, size, title.c_str(), block, capacity) != page) abort();
    setupCharacters("C.UTF-8"); // the page is UTF-8 whatever the input was
    if (!wellFormed(page)) abort();
    return 0;
}
