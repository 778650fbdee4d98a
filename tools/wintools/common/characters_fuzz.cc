// Fuzzer of the character model natively, in C.UTF-8 or in C (the first byte
// chooses): reading never passes the end of the text, the lengths tile it,
// each character is what the C library says of its bytes, and a byte that is
// no lead is the character byteKind says.
#include "characters.h"

#include <stdint.h>
#include <stdlib.h>
#include <wchar.h>
#include <wctype.h>

namespace {

// The character at text[0, size) as the C library decodes and classifies it.
Character direct(const uint8_t *text, size_t size) {
    mbstate_t state = {};
    wchar_t wide = 0;
    size_t length = mbrtowc(&wide, reinterpret_cast<const char *>(text), size, &state);
    uint32_t code = static_cast<uint32_t>(wide);
    if (length >= static_cast<size_t>(-2) || code > 0x10FFFF)
        return {1, CharacterKind::Invalid, 0, ReplacementCode};
    int bytes = length == 0 ? 1 : static_cast<int>(length);
    if (!iswprint(static_cast<wint_t>(wide))) return {bytes, CharacterKind::Control, 0, code};
    bool blank = iswspace(static_cast<wint_t>(wide)) != 0;
    return {bytes, blank ? CharacterKind::Blank : CharacterKind::Visible, wcwidth(wide), code};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    if (setupCharacters(data[0] & 1 ? "C.UTF-8" : "C") != 0) abort();
    for (size_t at = 1; at < size;) {
        Character c, d = direct(data + at, size - at);
        int length = readCharacter(data + at, size - at, true, &c);
        if (length < 1 || length != c.length || c.length != d.length || c.kind != d.kind ||
            c.width != d.width || c.code != d.code)
            abort();
        CharacterKind kind = byteKind(data[at]);
        if (kind != CharacterKind::Lead && (length != 1 || kind != c.kind)) abort();
        at += static_cast<size_t>(length);
    }
    return 0;
}
