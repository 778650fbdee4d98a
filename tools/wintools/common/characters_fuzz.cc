// Fuzzer of the character model natively, in C.UTF-8 or in C (the first byte
// chooses): reading never passes the end of the text, the lengths tile it,
// each character is what the C library says of its bytes, a byte that is no
// lead is the character byteKind says, and a longer character cut short
// waits for more.
#include "characters.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>
#include <wctype.h>

namespace {

// The character at text[0, size) as the C library decodes and classifies it.
Character direct(const uint8_t *text, size_t size) {
    mbstate_t state;
    memset(&state, 0, sizeof state);
    wchar_t wide = 0;
    size_t length = mbrtowc(&wide, reinterpret_cast<const char *>(text), size, &state);
    if (length >= static_cast<size_t>(-2) || static_cast<uint32_t>(wide) > 0x10FFFF)
        return {1, CharacterKind::Invalid, 0, ReplacementCode};
    if (!iswprint(static_cast<wint_t>(wide)))
        return {length == 0 ? 1 : static_cast<int>(length), CharacterKind::Control, 0,
                static_cast<uint32_t>(wide)};
    CharacterKind kind =
        iswspace(static_cast<wint_t>(wide)) ? CharacterKind::Blank : CharacterKind::Visible;
    return {static_cast<int>(length), kind, wcwidth(wide), static_cast<uint32_t>(wide)};
}

bool same(const Character &a, const Character &b) {
    return a.length == b.length && a.kind == b.kind && a.width == b.width && a.code == b.code;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    if (setupCharacters(data[0] & 1 ? "C.UTF-8" : "C") != 0) abort();
    for (size_t at = 1; at < size;) {
        Character c;
        int length = readCharacter(data + at, size - at, true, &c);
        Character d = direct(data + at, size - at);
        if (length < 1 || length != c.length || !same(c, d)) abort();
        CharacterKind kind = byteKind(data[at]);
        if (kind != CharacterKind::Lead && (length != 1 || kind != c.kind)) abort();
        if (length > 1 && readCharacter(data + at, static_cast<size_t>(length) - 1, false, &c) != 0)
            abort();
        at += static_cast<size_t>(length);
    }
    return 0;
}
