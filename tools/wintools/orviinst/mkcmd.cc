// mkcmd: quoting and joining of command-line arguments (see mkcmd.h).
// Portable: no system calls, memory from the allocator the caller passes.
#include "mkcmd.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>

namespace {

// Length of text, but at most limit bytes; never reads past the terminator.
size_t boundedLength(const char *text, size_t limit) {
    size_t n = 0;
    while (n < limit && text[n] != '\0')
        n++;
    return n;
}

} // namespace

char *appendText(char *str, const char *text, int n, Allocator *allocate) {
    if (n == 0) return str;
    size_t take = n < 0 ? strlen(text) : boundedLength(text, static_cast<size_t>(n));
    size_t have = str ? strlen(str) : 0;
    if (have + take + 1 > static_cast<size_t>(INT_MAX)) {
        free(str);
        return nullptr;
    }
    char *grown = static_cast<char *>(allocate(static_cast<int>(have + take + 1)));
    if (grown != nullptr) {
        memcpy(grown, str ? str : "", have);
        memcpy(grown + have, text, take);
        grown[have + take] = '\0';
    }
    free(str);
    return grown;
}

namespace {

bool isWhiteSpace(unsigned char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool needsWrapping(const char *text) {
    if (*text == '\0') return true; // only quotes make an empty argument
    for (const char *p = text; *p != '\0'; p++)
        if (isWhiteSpace(static_cast<unsigned char>(*p))) return true;
    return false;
}

// The quoted text being built. Once an append has failed the result is
// released and stays null, so that no truncated argument ever comes back.
struct QuotedText {
    char *text;
    bool failed;
    Allocator *allocate;
};

void append(QuotedText *out, const char *text, int n) {
    if (out->failed || n == 0) return;
    out->text = appendText(out->text, text, n, out->allocate);
    if (out->text == nullptr) out->failed = true;
}

} // namespace

char *quoteArg(const char *text, Allocator *allocate) {
    bool wrapped = needsWrapping(text);
    QuotedText out = {nullptr, false, allocate};
    if (wrapped) append(&out, "\"", 1);
    const char *mark = text;
    const char *p = text;
    while (*p != '\0') {
        if (*p == '\\') {
            const char *run = p;
            while (*p == '\\')
                p++;
            // Backslashes escape only before a double quote: the input's own
            // quote, or the closing quote of a wrapped argument. Doubling them
            // there makes each stand for itself.
            bool beforeQuote = *p == '"' || (*p == '\0' && wrapped);
            append(&out, mark, static_cast<int>(p - mark));
            if (beforeQuote) append(&out, run, static_cast<int>(p - run));
            mark = p;
        } else if (*p == '"') {
            append(&out, mark, static_cast<int>(p - mark));
            append(&out, "\\\"", 2);
            mark = ++p;
        } else {
            p++;
        }
    }
    append(&out, mark, static_cast<int>(p - mark));
    if (wrapped) append(&out, "\"", 1);
    return out.failed ? nullptr : out.text;
}

char *joinArguments(char *const *args, Allocator *allocate) {
    char *line = nullptr;
    for (int i = 0; args[i] != nullptr; i++) {
        if (i > 0 && (line = appendText(line, " ", 1, allocate)) == nullptr) return nullptr;
        if ((line = appendText(line, args[i], -1, allocate)) == nullptr) return nullptr;
    }
    return line;
}
