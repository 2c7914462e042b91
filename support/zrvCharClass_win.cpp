#include "zrvCharClass.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

bool IsCharAlphaNumericPlatform(unsigned char c)
{
    return IsCharAlphaNumericA(static_cast<CHAR>(c)) != FALSE;
}
