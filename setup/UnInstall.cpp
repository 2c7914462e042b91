// The uninstaller's main routine.
#include <windows.h>

#include "UnitUnInstall.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    try {
        CreateUnInstallForms(instance);
        classlib::Application().Run();
    } catch (...) {
        classlib::Application().HandleException();
    }
    classlib::Application().DestroyForms();
    return 0;
}
