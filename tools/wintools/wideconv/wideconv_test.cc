// The conversion as the character model reads it; the fuzzer checks the rules
// of UTF-16 text and the end-to-end tests the rest.
#include "characters.h"
#include "wideconv_system.h"

#include <gtest/gtest.h>
#include <string>

namespace {

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
