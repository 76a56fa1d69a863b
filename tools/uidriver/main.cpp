// uidriver: drives a program's windows from a script, one step per call.
// Exit codes: 0 done, 1 timed out or condition false, 2 wrong usage,
// 3 window or control not found or not answering, 4 control disabled.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/uidriver/ChildProcess.h"
#include "tools/uidriver/EscapedText.h"
#include "tools/uidriver/UiWindow.h"

using uidriver::CloseRequest;
using uidriver::Escape;
using uidriver::UiWindow;
using uidriver::Unescape;

namespace {

enum ExitCode { kDone = 0, kFalse = 1, kUsage = 2, kNotFound = 3, kDisabled = 4 };

const char kUsageText[] =
    "usage: uidriver [--desktop NAME] COMMAND ...\n"
    "  start FOLDER PROGRAM [ARGUMENTS...]         start a program, print its process id\n"
    "                                              (ARGUMENTS are joined by blanks)\n"
    "  wait-window TITLE TIMEOUT-MS                wait for a window with this title\n"
    "  wait-gone TITLE TIMEOUT-MS                  wait until no such window is left\n"
    "  get TITLE ID                                print a control's text (ID 0: title)\n"
    "  wait-text TITLE ID TEXT TIMEOUT-MS          wait until the text equals TEXT\n"
    "  enabled TITLE ID                            print enabled/disabled, exit 0/1\n"
    "  wait-enabled TITLE ID 0|1 TIMEOUT-MS        wait for a control's enabled state\n"
    "  progress TITLE ID                           print a progress bar's position\n"
    "  click TITLE ID                              post a click to an enabled button\n"
    "  close TITLE [message|sysmenu|escape|altf4]  post a close request (default message)\n"
    "  post TITLE MESSAGE WPARAM [LPARAM]          post any message, as another program can\n"
    "  key TITLE VK                                press a key (9 Tab, 13 Enter, 27 Escape,\n"
    "                                              32 Space) where the keyboard focus is\n"
    "  focus TITLE                                 print the id of the control with the\n"
    "                                              focus and its state; exit 1 when there\n"
    "                                              is none or it is disabled\n"
    "  watch TITLE ID TIMEOUT-MS UNTIL...          print each new text of a control until\n"
    "                                              it equals one of the UNTIL texts\n"
    "Texts take \\r, \\n, \\t and \\\\; printed texts are written the same way.\n";

bool ParseNumber(const char* text, long& value) {
    char* end = nullptr;
    value = std::strtol(text, &end, 0);
    return *text != '\0' && *end == '\0';
}

// Titles are matched whole; the control id and timeouts are numbers.
struct Arguments {
    std::vector<std::string> words;
    bool Number(size_t index, long& value) const {
        return index < words.size() && ParseNumber(words[index].c_str(), value);
    }
};

int PrintedResult(bool ok) {
    return ok ? kDone : kFalse;
}

// Milliseconds left of timeoutMs since start, a GetTickCount value.
DWORD Left(DWORD start, long timeoutMs) {
    long left = timeoutMs - static_cast<long>(GetTickCount() - start);
    return left > 0 ? static_cast<DWORD>(left) : 0;
}

UiWindow FindOrReport(const std::string& title) {
    UiWindow window = UiWindow::Find(title);
    if (!window.Exists())
        std::fprintf(stderr, "uidriver: no window titled \"%s\"\n", title.c_str());
    return window;
}

int Start(const Arguments& args, const std::string& desktop) {
    if (args.words.size() < 3)
        return kUsage;
    std::string arguments;
    for (size_t i = 3; i < args.words.size(); ++i)
        arguments += (i > 3 ? " " : "") + args.words[i];
    uidriver::ChildProcess child;
    if (!child.Start(args.words[1], args.words[2], arguments, desktop)) {
        std::fprintf(stderr, "uidriver: cannot start %s (error %lu)\n", args.words[2].c_str(),
                     GetLastError());
        return kNotFound;
    }
    std::printf("%lu\n", child.Id());
    return kDone;
}

int Watch(const UiWindow& window, int id, DWORD timeoutMs, const std::vector<std::string>& until) {
    DWORD start = GetTickCount();
    std::string last;
    bool first = true;
    while (GetTickCount() - start < timeoutMs) {
        if (!window.Exists())
            return kNotFound;
        std::string text;
        if (window.ReadText(id, text) && (first || text != last)) {
            std::printf("%s\n", Escape(text).c_str());
            std::fflush(stdout);
            first = false;
            last = text;
            for (const std::string& end : until)
                if (text == end)
                    return kDone;
        }
        Sleep(50);
    }
    return kFalse;
}

int Close(const std::string& title, const std::string& how) {
    static const struct {
        const char* word;
        CloseRequest request;
    } kinds[] = {{"message", CloseRequest::Message},
                 {"sysmenu", CloseRequest::SystemMenu},
                 {"escape", CloseRequest::Escape},
                 {"altf4", CloseRequest::AltF4}};
    for (const auto& kind : kinds) {
        if (how != kind.word)
            continue;
        UiWindow window = FindOrReport(title);
        if (!window.Exists())
            return kNotFound;
        return PrintedResult(window.RequestClose(kind.request));
    }
    return kUsage;
}

int Run(const Arguments& args, const std::string& desktop) {
    const std::string& command = args.words[0];
    const size_t count = args.words.size();
    long id = 0, timeout = 0, state = 0;

    if (command == "start")
        return Start(args, desktop);
    if (command == "wait-window" && args.Number(2, timeout) && count == 3)
        return PrintedResult(UiWindow::WaitFor(args.words[1], timeout).Exists());
    if (command == "wait-gone" && args.Number(2, timeout) && count == 3)
        return PrintedResult(UiWindow::WaitGone(args.words[1], timeout));
    if (command == "close" && (count == 2 || count == 3))
        return Close(args.words[1], count == 3 ? args.words[2] : "message");
    long message = 0, wParam = 0, lParam = 0;
    if (command == "post" && (count == 4 || count == 5) && args.Number(2, message) &&
        args.Number(3, wParam) && (count == 4 || args.Number(4, lParam))) {
        UiWindow window = FindOrReport(args.words[1]);
        if (!window.Exists())
            return kNotFound;
        return PrintedResult(PostMessageA(window.Handle(), static_cast<UINT>(message),
                                          static_cast<WPARAM>(wParam),
                                          static_cast<LPARAM>(lParam)) != FALSE);
    }
    long key = 0;
    if ((command == "key" && count == 3 && args.Number(2, key)) ||
        (command == "focus" && count == 2)) {
        UiWindow window = FindOrReport(args.words[1]);
        if (!window.Exists())
            return kNotFound;
        if (command == "key")
            return PrintedResult(window.PressKey(static_cast<WORD>(key)));
        HWND focus = window.FocusedControl();
        if (focus == nullptr) {
            std::printf("none\n");
            return kFalse;
        }
        const bool enabled = IsWindowEnabled(focus) != FALSE;
        std::printf("%d %s\n", GetDlgCtrlID(focus), enabled ? "enabled" : "disabled");
        return PrintedResult(enabled);
    }
    if (count < 3 || !args.Number(2, id))
        return kUsage;

    // The waiting commands also wait for the window itself, within the same timeout.
    const DWORD start = GetTickCount();
    if (command == "wait-text" && count == 5 && args.Number(4, timeout)) {
        UiWindow window = UiWindow::WaitFor(args.words[1], timeout);
        return PrintedResult(window.Exists() &&
                             window.WaitForText(id, Unescape(args.words[3]), Left(start, timeout)));
    }
    if (command == "wait-enabled" && count == 5 && args.Number(3, state) &&
        args.Number(4, timeout)) {
        UiWindow window = UiWindow::WaitFor(args.words[1], timeout);
        return PrintedResult(window.Exists() &&
                             window.WaitForEnabled(id, state != 0, Left(start, timeout)));
    }
    if (command == "watch" && count >= 5 && args.Number(3, timeout)) {
        std::vector<std::string> until;
        for (size_t i = 4; i < count; ++i)
            until.push_back(Unescape(args.words[i]));
        UiWindow window = UiWindow::WaitFor(args.words[1], timeout);
        return window.Exists() ? Watch(window, id, Left(start, timeout), until) : kFalse;
    }

    UiWindow window = FindOrReport(args.words[1]);
    if (!window.Exists())
        return kNotFound;
    if (command == "get" && count == 3) {
        std::string text;
        if (!window.ReadText(id, text))
            return kNotFound;
        std::printf("%s\n", Escape(text).c_str());
        return kDone;
    }
    if (command == "enabled" && count == 3) {
        bool enabled = window.IsEnabled(id);
        std::printf("%s\n", enabled ? "enabled" : "disabled");
        return PrintedResult(enabled);
    }
    if (command == "progress" && count == 3) {
        int position = window.ReadProgress(id);
        if (position < 0)
            return kNotFound;
        std::printf("%d\n", position);
        return kDone;
    }
    if (command == "click" && count == 3) {
        if (window.Click(id))
            return kDone;
        std::fprintf(stderr, "uidriver: control %ld is missing or disabled\n", id);
        return kDisabled;
    }
    return kUsage;
}

} // namespace

int main(int argc, char** argv) {
    // Lines end in "\n" alone, so that scripts read the texts exactly as printed.
    _setmode(_fileno(stdout), _O_BINARY);
    Arguments args;
    std::string desktop;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--desktop") == 0 && i + 1 < argc)
            desktop = argv[++i];
        else
            args.words.push_back(argv[i]);
    }
    if (args.words.empty()) {
        std::fputs(kUsageText, stderr);
        return kUsage;
    }
    if (!desktop.empty()) {
        // Windows of another desktop are invisible to this one: look from the same desktop.
        // A desktop made by a program started just before may take a moment to appear.
        HDESK handle = nullptr;
        for (int tries = 0; handle == nullptr && tries < 100; ++tries) {
            handle = OpenDesktopA(desktop.c_str(), 0, FALSE, GENERIC_ALL);
            if (handle == nullptr)
                Sleep(100);
        }
        if (handle == nullptr || !SetThreadDesktop(handle)) {
            std::fprintf(stderr, "uidriver: cannot use desktop %s\n", desktop.c_str());
            return kNotFound;
        }
    }
    int result = Run(args, desktop);
    if (result == kUsage)
        std::fputs(kUsageText, stderr);
    return result;
}
