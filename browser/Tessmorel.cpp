// The program's main routine: create the forms, run until the main window
// closes.
#include <windows.h>

#include "Forms.h"
#include "Program.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    try {
        CreateTessmorelForms(instance);
        classlib::Application().Run();
    } catch (...) {
        classlib::Application().HandleException();
    }
    classlib::Application().DestroyForms();
    return 0;
}
