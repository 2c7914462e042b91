#pragma once

// Character classification that depends on the platform's code page.
// The Windows build asks the system (user's ANSI code page); other builds
// use a fixed table for Windows code page 1252.

// True when the byte c is a letter or a digit in the active ANSI code page.
bool IsCharAlphaNumericPlatform(unsigned char c);
