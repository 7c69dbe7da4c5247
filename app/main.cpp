#include <windows.h>
#include "app/FramehaulApp.h"

// The application object lives for the whole process; its destructor
// saves the settings when the process ends.
static FramehaulApp theApp;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return theApp.Run();
}
