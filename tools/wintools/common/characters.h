// characters.h: what a character of text is, for every tool that shows,
// highlights, marks or converts text beyond ASCII. Text is split into
// characters of one or more bytes, and each says its kind, its width in cells
// and its Unicode code point.
//
// Natively the character set is the locale's (LC_CTYPE, read through the C
// library: mbrtowc, iswprint, iswspace, wcwidth, but a sequence it decodes
// beyond U+10FFFF is no character); the C locale is ASCII, with bytes
// 0x80-0xFF not characters. On Windows it is the ANSI code page: in a
// single-byte code page each byte is a character, in a double-byte one (932,
// 936, 949, 950) a lead byte and its trail byte are one. Either way a byte
// below 0x80 at a character start is that ASCII character alone, so callers
// may copy runs of ASCII without asking (byteKind).
//
// One implementation per platform (characters_posix.cc, characters_win32.cc);
// the code-page rules themselves are portable (characters.cc), so that they
// are tested natively over tables filled by hand.
#ifndef ORVI_CHARACTERS_H
#define ORVI_CHARACTERS_H

#include <stddef.h>
#include <stdint.h>

// Invalid comes first, so that a table not filled in holds no characters.
enum class CharacterKind : unsigned char {
    Invalid, // not a character: a lone or bad byte, read alone (length 1)
    Visible, // printable and not blank: what highlighting shows and marks
    Blank,   // printable blank: a space, an ideographic space
    Control, // not printable: line ends, tabs, C0 and C1 controls
    Lead,    // byteKind only: the byte may start a longer character
};

struct Character {
    int length; // bytes, 1 to MaxCharacterBytes
    CharacterKind kind;
    // Cells it takes as it is. Natively wcwidth's answer for a printable
    // character (0 for a combining one, 2 for a wide one) and 0 for a control
    // or invalid byte, which has no cells of its own (a terminal shows it in
    // an escaped form). On Windows the console shows every byte in a cell:
    // 1 for a single byte, 2 for a double-byte character.
    int width;
    uint32_t code; // Unicode code point; U+FFFD for an invalid byte
};

// No character is longer; a caller that keeps the unfinished end of a block
// for the next one needs no more room than this.
const int MaxCharacterBytes = 8;

const uint32_t ReplacementCode = 0xFFFD;

// Sets up the model once at start, before any other call. Natively it adopts
// LC_CTYPE from the named locale ("" for the user's: LC_ALL, LC_CTYPE, LANG)
// and returns -1 when that locale does not exist (the one in force stays). On
// Windows the locale is ignored: the ANSI code page is the system's.
int setupCharacters(const char *locale = "");

// The kind of each byte at a character start: Lead where the byte may start a
// character of several bytes (readCharacter says which), else the kind of the
// character the byte is alone. Filled by setupCharacters.
extern CharacterKind byteKinds[256];

inline CharacterKind byteKind(unsigned char byte) {
    return byteKinds[byte];
}

// The kind of an ASCII byte (below 0x80), the same on every platform.
inline CharacterKind asciiKind(unsigned char byte) {
    if (byte > 0x20 && byte < 0x7F) return CharacterKind::Visible;
    return byte == 0x20 ? CharacterKind::Blank : CharacterKind::Control;
}

// Reads the character that starts text[0, size), size >= 1, and returns its
// length. Returns 0 when the text ends inside a character and more may come:
// the caller hands it again with more bytes behind. With atEnd there is no
// more, and such an unfinished character is an invalid byte.
int readCharacter(const unsigned char *text, size_t size, bool atEnd, Character *character);

// Room for the longest escaped form, "<U+10FFFF>", and a terminating zero.
const int EscapedFormSize = 11;

// How a character that is no printable one is shown where it must not act
// (on a terminal, in a web page): a C0 control or DEL in caret notation ("^["
// for ESC, "^?" for DEL), any other control as its code point ("<U+009B>"),
// an invalid byte as its value ("<9B>"; firstByte is the byte). Writes the
// form to out and returns its length, each byte of it a cell; returns 0 for a
// printable character, shown as it is.
int escapedForm(const Character &character, unsigned char firstByte, char out[EscapedFormSize]);

// ---- Code pages (portable, so that tests fill their own) -------------------

struct CodePageEntry {
    uint16_t code; // the UTF-16 unit it maps to (every such code page is in the BMP)
    CharacterKind kind;
};

// An ANSI code page's characters, filled once at start from the system.
struct CodePage {
    unsigned number;
    bool lead[256];            // lead bytes of a double-byte code page (0x80 and up)
    CodePageEntry single[256]; // each byte as a character alone
    // A lead byte (0x80 + row) and a trail byte; Invalid where the pair is no
    // character, and the lead is then read alone.
    CodePageEntry pairs[128][256];
};

// readCharacter over a code page.
int readCodePageCharacter(const CodePage &page, const unsigned char *text, size_t size, bool atEnd,
                          Character *character);

// byteKinds as the code page gives them.
void setCodePageByteKinds(const CodePage &page);

// The code page in use on Windows (filled by setupCharacters); null natively.
const CodePage *systemCodePage();

#endif
