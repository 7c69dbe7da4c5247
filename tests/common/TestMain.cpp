// Entry point of the test programs that run under Wine: OLE and the common
// controls as the program has them, and an application object whose
// registry key is named after the test program.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <gtest/gtest.h>
#include "app/FramehaulApp.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_USEREX_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    int result;
    {
        FramehaulApp app;
        app.SetRegistryKey("Quorvane");
        app.fonts.Create();
        result = RUN_ALL_TESTS();
    }
    OleUninitialize();
    return result;
}
