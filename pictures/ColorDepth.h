#pragma once
// A bitmap of any pixel format as a BMP image of 1, 4, 8 or 24 bits; 8 bits
// by one of the colour-reduction methods.
#include "Graphics.h"

// Methods: 0 histogram, 1 median cut, 2 7R8G4B, 3 6R6G6B, 4 channel pattern, 5 grey.
classlib::TBytes ConvertBitmapDepth(classlib::TBitmap& bitmap, classlib::TPixelFormat target, int method);
