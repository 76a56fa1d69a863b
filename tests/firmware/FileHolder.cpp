// file_holder.exe PATH MS [delete]: holds PATH open for reading and denies every other open
// for MS milliseconds, as a virus scanner may do to a new file; with "delete", it lets
// others delete or rename the file meanwhile. Exit code 1 when PATH cannot be opened, 2 on
// wrong usage.
#include <windows.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4 || (argc == 4 && std::strcmp(argv[3], "delete") != 0)) {
        return 2;
    }
    const DWORD share = argc == 4 ? FILE_SHARE_DELETE : 0;
    // The test looks for the hold by opening the file itself: a moment's collision with
    // that look is tried again.
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        file = CreateFileA(argv[1], GENERIC_READ, share, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
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
