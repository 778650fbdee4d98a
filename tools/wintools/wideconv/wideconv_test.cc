// The rules of UTF-16 text where the streams are text streams (Windows), in
// whole code units, and the conversion as the character model reads it; the
// end-to-end tests cover the rest.
#include "characters.h"
#include "wideconv.h"

#include <gtest/gtest.h>
#include <map>
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

// The narrow text of a mixed UTF-16 text, split by the character model, holds
// the input's code points where the character set has them: natively in
// C.UTF-8 all; under Wine in code pages 1252 and (LC_ALL=ja_JP.UTF-8) 932 the
// system's best fit (α as a, é as e) or "?" for each code unit it lacks.
TEST(WideText, ConversionAgreesWithTheCharacterModel) {
    setupCharacters("C.UTF-8");
    std::u16string text = u"caf\u00e9 \u20ac5 \u03b1\u0416 \u65e5\u672c \U0001F600"s + u'\0';
    const unsigned page = systemCodePage() == nullptr ? 0 : systemCodePage()->number;
    const std::map<unsigned, std::u32string> expected = {
        {0, U"caf\u00e9 \u20ac5 \u03b1\u0416 \u65e5\u672c \U0001F600"},
        {1252, U"caf\u00e9 \u20ac5 a? ?? ??"},
        {932, U"cafe ?5 \u03b1\u0416 \u65e5\u672c ??"},
    };
    const unsigned char *units = reinterpret_cast<const unsigned char *>(text.data());
    unsigned long error = 0;
    size_t size = narrowSize(units, 2 * text.size() - 2, &error);
    std::string narrow(size, '\0');
    ASSERT_EQ(convertToNarrow(units, 2 * text.size() - 2, &narrow[0], size, &error), size);
    std::u32string codes;
    const unsigned char *p = reinterpret_cast<const unsigned char *>(narrow.data());
    for (size_t at = 0; at + 1 < size;) {
        Character c;
        at += static_cast<size_t>(readCharacter(p + at, size - 1 - at, true, &c));
        codes += c.kind == CharacterKind::Invalid ? U'!' : static_cast<char32_t>(c.code);
    }
    EXPECT_EQ(codes, expected.at(page)) << narrow;
}

} // namespace
