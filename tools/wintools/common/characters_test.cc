// The character model: texts split into characters natively in C.UTF-8 and
// in C, and code pages filled by hand; under Wine the system's code page
// (1252, or 932 in the run with LC_ALL=ja_JP.UTF-8) gives the same as by hand.
#include "characters.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Each character as length, kind (Invalid, Visible, Blank, Control), width and
// ":" and its code unless U+FFFD; "+" when byteKind calls its first byte a lead,
// "0 " first when it waited for more. A byte that is no lead is what byteKind says.
template <typename Read> std::string split(const std::string &text, Read read) {
    std::string result;
    const unsigned char *p = reinterpret_cast<const unsigned char *>(text.data());
    for (size_t at = 0; at < text.size();) {
        Character c;
        int length = read(p + at, text.size() - at, false, &c);
        if (length == 0) result += " 0";
        if (length == 0) length = read(p + at, text.size() - at, true, &c);
        char item[32];
        snprintf(item, sizeof item, " %s%d%c%d:%x",
                 byteKind(p[at]) == CharacterKind::Lead ? "+" : "", length,
                 "IVBC"[static_cast<int>(c.kind)], c.width, static_cast<unsigned>(c.code));
        result += c.code == ReplacementCode ? std::string(item, strchr(item, ':')) : item;
        EXPECT_TRUE(byteKind(p[at]) == CharacterKind::Lead || byteKind(p[at]) == c.kind) << item;
        if (length < 1) break;
        at += static_cast<size_t>(length);
    }
    return result.substr(1);
}

TEST(Characters, LocaleTexts) {
    if (systemCodePage() != nullptr) return; // Windows follows its code page
    const char *cases[][3] = {
        // Latin-1 accents, Greek, Cyrillic, CJK, emoji; a combining accent has no width.
        {"C.UTF-8", "é λЖ中😀e\u0301",
         "+2V1:e9 1B1:20 +2V1:3bb +2V1:416 +3V2:4e2d +4V2:1f600 1V1:65 +2V0:301"},
        // Controls (C0, C1 U+009B), blanks; a lone 0x9B, bad and cut sequences,
        // a surrogate and a code beyond U+10FFFF are invalid bytes.
        {"C.UTF-8", "\t\u009b\u3000\x9b\xc3(\xed\xa0\xf4\x90\x80\x80\xe4\xb8",
         "1C0:9 +2C0:9b +3B2:3000 1I0 +1I0 1V1:28 +1I0 1I0 +1I0 1I0 1I0 1I0 0 +1I0 1I0"},
        {"C", "a \x7f\xc3\xa9\x9b", "1V1:61 1B1:20 1C0:7f 1I0 1I0 1I0"},
    };
    for (const auto &c : cases) {
        ASSERT_EQ(setupCharacters(c[0]), 0);
        EXPECT_EQ(split(c[1], readCharacter), c[2]) << c[0] << " " << c[1];
    }
}

// Code pages 1252 and 932 in part, filled by hand as the system fills them.
TEST(Characters, CodePages) {
    const CharacterKind V = CharacterKind::Visible, B = CharacterKind::Blank;
    static CodePage western, japanese;
    western.number = 1252;
    western.single[0xE9] = {0xE9, V};
    western.single[0x80] = {0x20AC, V};
    western.single[0x81] = {0x81, CharacterKind::Control};
    western.single[0xA0] = {0xA0, B};
    japanese.number = 932;
    japanese.lead[0x81] = japanese.lead[0x82] = true;
    japanese.pairs[1][0x40] = {0x3000, B};
    japanese.pairs[2][0xA0] = {0x3042, V};
    japanese.single[0xB1] = {0xFF71, V};
    const CodePage *pages[] = {&western, &japanese};
    const char *cases[][2] = {
        {"\xe9\x80\x81\xa0\t", "1V1:e9 1V1:20ac 1C1:81 1B1:a0 1C1:9"},
        // Lead and trail are one character; a lead without its trail is an invalid byte.
        {"\x82\xa0\x81\x40\xb1\x82 \x82", "+2V2:3042 +2B2:3000 1V1:ff71 +1I1 1B1:20 0 +1I1"},
    };
    for (int i = 0; i < 2; ++i) {
        auto byHand = [&](const unsigned char *t, size_t n, bool end, Character *out) {
            return readCodePageCharacter(*pages[i], t, n, end, out);
        };
        setCodePageByteKinds(*pages[i]);
        EXPECT_EQ(split(cases[i][0], byHand), cases[i][1]) << pages[i]->number;
        setupCharacters();
        if (systemCodePage() != nullptr && systemCodePage()->number == pages[i]->number) {
            EXPECT_EQ(split(cases[i][0], readCharacter), cases[i][1]) << "the system's";
        }
    }
}

} // namespace
