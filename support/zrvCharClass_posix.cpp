#include "zrvCharClass.h"

// Windows code page 1252, classified as the system's alphanumeric test does
// it: ASCII letters and digits, the Latin letters of the upper half, the
// modifier letter circumflex (0x88) and the superscript digits 1, 2 and 3,
// which the system counts as digits.  The fractions 1/4, 1/2, 3/4 are not
// alphanumeric; neither are the five unassigned bytes 0x81, 0x8D, 0x8F,
// 0x90 and 0x9D.

namespace {

bool IsCp1252HighAlphaNumeric(unsigned char c)
{
    switch (c) {
    case 0x83: // small f with hook
    case 0x88: // modifier letter circumflex
    case 0x8A: // S caron
    case 0x8C: // ligature OE
    case 0x8E: // Z caron
    case 0x9A: // s caron
    case 0x9C: // ligature oe
    case 0x9E: // z caron
    case 0x9F: // Y diaeresis
    case 0xAA: // feminine ordinal
    case 0xB2: // superscript two
    case 0xB3: // superscript three
    case 0xB5: // micro sign
    case 0xB9: // superscript one
    case 0xBA: // masculine ordinal
        return true;
    default:
        break;
    }
    // Latin-1 letters, minus the multiplication (0xD7) and division (0xF7) signs.
    return c >= 0xC0 && c != 0xD7 && c != 0xF7;
}

} // namespace

bool IsCharAlphaNumericPlatform(unsigned char c)
{
    if (c < 0x80) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    }
    return IsCp1252HighAlphaNumeric(c);
}
