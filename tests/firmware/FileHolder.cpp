// file_holder.exe PATH MS: holds PATH open for reading and denies every other open for MS
// milliseconds, as a virus scanner may do to a new file. Exit code 1 when PATH cannot be
// opened, 2 on wrong usage.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3) {
        return 2;
    }
    // The test looks for the hold by opening the file itself: a moment's collision with
    // that look is tried again.
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        file = CreateFileA(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION) {
            break;
        }
        Sleep(10);
    }
    if (file == INVALID_HANDLE_VALUE) {
        return 1;
    }
    Sleep(static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)));
    CloseHandle(file);
    return 0;
}
