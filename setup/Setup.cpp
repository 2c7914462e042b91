// The installer's main routine: create the forms, run until the preparing
// window closes.
#include <windows.h>
#include <objbase.h>

#include "UnitSetup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    const HRESULT com = ::CoInitialize(nullptr);
    try {
        CreateSetupForms(instance);
        classlib::Application().Run();
    } catch (...) {
        classlib::Application().HandleException();
    }
    classlib::Application().DestroyForms();
    if (SUCCEEDED(com)) ::CoUninitialize();
    return 0;
}
