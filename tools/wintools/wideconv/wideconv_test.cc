// The rules of UTF-16 text where the streams are text streams (Windows), in
// whole code units; the end-to-end tests cover the rest.
#include "wideconv.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using namespace std::literals;

// What prepareWideText leaves of a file holding the mark and text, its zero
// unit included. The units are the file's bytes on a little-endian host.
std::u16string wideTextOf(std::u16string text) {
    text = u"\xfeff"s + text + u'\0'; // the two zero bytes behind the data
    ReadBuffer buffer = {reinterpret_cast<unsigned char *>(&text[0]), 2 * text.size(),
                         2 * text.size() - 2};
    terminateText(&buffer);
    return text.substr(1, prepareWideText(&buffer, true) / 2 + 1);
}

TEST(WideText, EndsAndLineEndsInWholeCodeUnits) {
    const std::u16string cases[][2] = {
        // Bytes 1A (in U+201A), 0D 0A inside and across units are data.
        {u"\x201a\x0a0d\x0d41\n"s, u"\x201a\x0a0d\x0d41\n\0"s},
        {u"\r\n\r\r\nx\n\r"s, u"\n\r\nx\n\r\0"s},
        {u"a\r\x1a\n"s, u"a\r\0"s}, // Ctrl+Z, the character, ends; the CR before it stays
    };
    for (const auto &c : cases)
        EXPECT_EQ(wideTextOf(c[0]), c[1]);
}

} // namespace
