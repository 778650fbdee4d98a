// characters_posix.cc: characters natively: the locale's character set, as
// the C library decodes and classifies it.
#include "characters.h"

#include <locale.h>
#include <string.h>
#include <wchar.h>
#include <wctype.h>

namespace {

// The C library counts wide characters in Unicode code points here
// (__STDC_ISO_10646__), but decodes some sequences beyond U+10FFFF, which no
// Unicode form can carry on: those are invalid bytes too.
const uint32_t LastCode = 0x10FFFF;

void setInvalid(Character *character) {
    *character = {1, CharacterKind::Invalid, 0, ReplacementCode};
}

void describe(wchar_t wide, int length, Character *character) {
    character->length = length;
    character->code = static_cast<uint32_t>(wide);
    if (!iswprint(static_cast<wint_t>(wide))) {
        character->kind = CharacterKind::Control;
        character->width = 0;
        return;
    }
    character->kind =
        iswspace(static_cast<wint_t>(wide)) ? CharacterKind::Blank : CharacterKind::Visible;
    int width = wcwidth(wide);
    character->width = width < 0 ? 0 : width;
}

} // namespace

int setupCharacters(const char *locale) {
    int result = setlocale(LC_CTYPE, locale) != nullptr ? 0 : -1;
    for (int byte = 0; byte < 256; ++byte) {
        unsigned char b = static_cast<unsigned char>(byte);
        Character character;
        if (readCharacter(&b, 1, false, &character) == 0)
            byteKinds[b] = CharacterKind::Lead;
        else
            byteKinds[b] = character.kind;
    }
    return result;
}

int readCharacter(const unsigned char *text, size_t size, bool atEnd, Character *character) {
    unsigned char first = text[0];
    if (first < 0x80) {
        CharacterKind kind = asciiKind(first);
        *character = {1, kind, kind == CharacterKind::Control ? 0 : 1, first};
        return 1;
    }
    size_t limit = size < MaxCharacterBytes ? size : MaxCharacterBytes;
    mbstate_t state;
    memset(&state, 0, sizeof state);
    wchar_t wide = 0;
    size_t length = mbrtowc(&wide, reinterpret_cast<const char *>(text), limit, &state);
    if (length == static_cast<size_t>(-2) && !atEnd && size < MaxCharacterBytes) return 0;
    if (length == static_cast<size_t>(-1) || length == static_cast<size_t>(-2) ||
        static_cast<uint32_t>(wide) > LastCode)
        setInvalid(character);
    else
        describe(wide, static_cast<int>(length), character);
    return character->length;
}

const CodePage *systemCodePage() {
    return nullptr;
}
