// characters.cc: the portable part of the character model: the byte table and
// the rules of a code page, which the Windows layer fills from the system.
#include "characters.h"

#include <stdio.h>

CharacterKind byteKinds[256];

int readCodePageCharacter(const CodePage &page, const unsigned char *text, size_t size, bool atEnd,
                          Character *character) {
    unsigned char first = text[0];
    // The console shows every byte in a cell: a character's width is its length.
    if (first < 0x80) {
        *character = {1, asciiKind(first), 1, first};
    } else if (page.lead[first] && size < 2 && !atEnd) {
        return 0;
    } else if (page.lead[first] && size >= 2 &&
               page.pairs[first - 0x80][text[1]].kind != CharacterKind::Invalid) {
        const CodePageEntry &pair = page.pairs[first - 0x80][text[1]];
        *character = {2, pair.kind, 2, pair.code};
    } else if (page.lead[first] || page.single[first].kind == CharacterKind::Invalid) {
        // A lead byte without its trail is no character either.
        *character = {1, CharacterKind::Invalid, 1, ReplacementCode};
    } else {
        *character = {1, page.single[first].kind, 1, page.single[first].code};
    }
    return character->length;
}

void setCodePageByteKinds(const CodePage &page) {
    for (int byte = 0; byte < 256; ++byte) {
        unsigned char b = static_cast<unsigned char>(byte);
        if (b < 0x80)
            byteKinds[b] = asciiKind(b);
        else
            byteKinds[b] = page.lead[b] ? CharacterKind::Lead : page.single[b].kind;
    }
}

int escapedForm(const Character &character, unsigned char firstByte, char out[EscapedFormSize]) {
    switch (character.kind) {
    case CharacterKind::Invalid:
        return snprintf(out, EscapedFormSize, "<%02X>", firstByte);
    case CharacterKind::Control:
        if (character.code < 0x20 || character.code == 0x7F) {
            out[0] = '^';
            out[1] = static_cast<char>(character.code ^ 0x40);
            return 2;
        }
        return snprintf(out, EscapedFormSize, "<U+%04X>", static_cast<unsigned>(character.code));
    default:
        return 0;
    }
}
