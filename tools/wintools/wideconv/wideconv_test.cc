// The rules of UTF-16 text where the streams are text streams (Windows), in
// whole code units, and the conversion as the character model reads it; the
// end-to-end tests cover the rest.
#include "characters.h"
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

// A mixed UTF-16 text converted and split by the character model holds its code
// points where the character set has them (C.UTF-8 all), else the best fit of
// code pages 1252 and 932 under Wine (α as a, é as e) or a "?" per code unit.
TEST(WideText, ConversionAgreesWithTheCharacterModel) {
    setupCharacters("C.UTF-8");
    const std::u16string text = u"café €5 αЖ 日本 😀";
    const CodePage *page = systemCodePage();
    const std::u32string expected = page == nullptr        ? U"café €5 αЖ 日本 😀"
                                    : page->number == 1252 ? U"café €5 a? ?? ??"
                                                           : U"cafe ?5 αЖ 日本 ??";
    const unsigned char *units = reinterpret_cast<const unsigned char *>(text.c_str());
    unsigned long error = 0;
    size_t size = narrowSize(units, 2 * text.size(), &error);
    std::string narrow(size, '\0');
    ASSERT_EQ(convertToNarrow(units, 2 * text.size(), &narrow[0], size, &error), size);
    std::u32string codes;
    Character c;
    for (size_t at = 0; at + 1 < size; at += static_cast<size_t>(c.length)) {
        readCharacter(reinterpret_cast<const unsigned char *>(&narrow[at]), size - 1 - at, true,
                      &c);
        codes += c.kind == CharacterKind::Invalid ? U'!' : static_cast<char32_t>(c.code);
    }
    EXPECT_EQ(codes, expected) << narrow;
}

} // namespace
