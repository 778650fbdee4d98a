// characters_win32.cc: characters on Windows: the ANSI code page, asked of
// the system once at start and kept in a table.
#include "characters.h"

#include <windows.h>

namespace {

CodePage codePage;

// What the code page makes of bytes[0, length): one UTF-16 unit and its
// kind, or Invalid when the bytes are no character of it.
CodePageEntry entryOf(const char *bytes, int length) {
    WCHAR wide[2];
    if (MultiByteToWideChar(codePage.number, MB_ERR_INVALID_CHARS, bytes, length, wide, 2) != 1)
        return {ReplacementCode, CharacterKind::Invalid};
    WORD type = 0;
    GetStringTypeW(CT_CTYPE1, wide, 1, &type);
    CharacterKind kind = CharacterKind::Visible;
    if ((type & C1_CNTRL) != 0 || (type & C1_DEFINED) == 0)
        kind = CharacterKind::Control;
    else if ((type & (C1_SPACE | C1_BLANK)) != 0)
        kind = CharacterKind::Blank;
    return {wide[0], kind};
}

} // namespace

int setupCharacters(const char *) {
    codePage.number = GetACP();
    for (int byte = 0x80; byte < 256; ++byte) {
        char bytes[2] = {static_cast<char>(byte), 0};
        codePage.lead[byte] = IsDBCSLeadByteEx(codePage.number, static_cast<BYTE>(byte)) != 0;
        codePage.single[byte] = entryOf(bytes, 1);
        if (!codePage.lead[byte]) continue;
        for (int trail = 0; trail < 256; ++trail) {
            bytes[1] = static_cast<char>(trail);
            codePage.pairs[byte - 0x80][trail] = entryOf(bytes, 2);
        }
    }
    setCodePageByteKinds(codePage);
    return 0;
}

int readCharacter(const unsigned char *text, size_t size, bool atEnd, Character *character) {
    return readCodePageCharacter(codePage, text, size, atEnd, character);
}

const CodePage *systemCodePage() {
    return &codePage;
}
