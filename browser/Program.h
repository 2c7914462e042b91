#pragma once
#include <windows.h>

// Initialises the application and creates every form once, in start order.
void CreateTessmorelForms(HINSTANCE instance);
