#include <windows.h>

// Placeholder until the updater's dialogs exist: proves the build and the Wine run.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    MessageBoxA(nullptr, "ZRC-MT40 Updater: build placeholder.", "ZRC-MT40 Updater", MB_OK);
    return 0;
}
