// The program's entry point: runs the application object's InitInstance and ends the
// process with the result of its ExitInstance.
#include "framework/WinApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    CWinApp* app = AfxGetApp();
    if (!app)
        return 1;
    app->InitInstance();
    return app->ExitInstance();
}
