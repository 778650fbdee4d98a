// Fuzzer of the utilities' readers and flag parser: the stream read to its end
// and once more, each result against a reference over the whole input (byte 0
// picks the reader and terminators), and the stream as a setting for parseFlag.
#include "usefull.h"

#include <limits.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>

namespace {

// The text up to its first zero byte, as the readers' results end there.
std::string shown(const std::string &text) {
    return text.substr(0, text.find('\0'));
}

// One result of each reader from input[*at, ...), moving *at past what it takes.
std::string nextLine(const std::string &input, size_t *at) {
    size_t end = std::min(input.find('\n', *at), input.size());
    std::string line = input.substr(*at, end - *at);
    *at = std::min(end + 1, input.size());
    return shown(line);
}

// Up to the first line feed that no backslash precedes; each backslash and
// line feed before it becomes a line feed.
std::string nextJoinedLine(const std::string &input, size_t *at) {
    size_t end = *at;
    while ((end = input.find('\n', end)) != input.npos && end > *at && input[end - 1] == '\\')
        end++;
    std::string line = input.substr(*at, std::min(end, input.size()) - *at);
    *at = std::min(end, input.size() - 1) + 1;
    for (size_t i = 0; (i = line.find("\\\n", i)) != line.npos;)
        line.erase(i, 1);
    return shown(line);
}

// Up to a line made of one terminator character; every line keeps its line feed.
std::string nextParagraph(const std::string &input, size_t *at, const char *terminators) {
    for (size_t end = *at + 1; (end = input.find('\n', end)) != input.npos; end++) {
        char last = input[end - 1];
        if (last != '\0' && strchr(terminators, last) &&
            (end - 1 == *at || input[end - 2] == '\n')) {
            std::string text = input.substr(*at, end - 1 - *at);
            *at = end + 1;
            return shown(text.empty() ? "\n" : text);
        }
    }
    std::string text = input.substr(*at);
    *at = input.size();
    return shown(text.empty() || text.back() != '\n' ? text + '\n' : text);
}

int referenceFlag(const char *text) {
    std::string rest = text[0] != '\0' ? text + 1 : "";
    if (text[0] >= '0' && text[0] <= '9')
        return static_cast<int>(std::min(strtoll(text, nullptr, 10), 0LL + INT_MAX));
    if (text[0] == 'o' || text[0] == 'O') return rest == "ff" || rest == "FF" ? 0 : 1;
    return strchr("fnFN", text[0]) != nullptr ? 0 : 1; // the empty text included
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    std::string input(reinterpret_cast<const char *>(data) + 1, size - 1), expected;
    const char *terminators = data[0] & 4 ? "\n." : ".";
    FILE *in = fmemopen(&input[0], input.size(), "r");
    for (size_t at = 0, end = 0; !end;) {
        end = at == input.size(); // one read more at the end
        char *text;
        if (data[0] % 3 == 0) {
            text = readLine(in);
            expected = end ? "<null>" : nextLine(input, &at);
        } else if (data[0] % 3 == 1) {
            text = readJoinedLine(in);
            expected = nextJoinedLine(input, &at);
        } else {
            text = readParagraph(in, terminators, nullptr, nullptr);
            expected = nextParagraph(input, &at, terminators);
        }
        // A console can be read again after its end: the end-of-file state is cleared.
        if ((text != nullptr ? text : "<null>") != expected || (data[0] % 3 != 0 && feof(in)))
            abort();
        free(text);
    }
    fclose(in);
    if (parseFlag(input.c_str(), 7) != referenceFlag(input.c_str()) || parseFlag(nullptr, 7) != 7)
        abort();
    return 0;
}
