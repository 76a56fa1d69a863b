#include "ThreadWindows.h"

namespace {

struct TitleSearch {
    const char* title;
    HWND found;
};

BOOL CALLBACK MatchTitle(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<TitleSearch*>(lParam);
    char text[128] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    if (!IsWindowVisible(hwnd) || std::string(text) != search->title)
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

} // namespace

HWND FindThreadWindow(const char* title, DWORD threadId) {
    TitleSearch search = {title, nullptr};
    EnumThreadWindows(threadId, MatchTitle, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string ControlText(HWND dialog, int id) {
    char text[256] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

bool ControlEnabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}
