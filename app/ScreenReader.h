#pragma once
// What a screen reader learns of the main dialog: a name for each control whose text
// alone does not say what it is, and each new text of the status log, announced as a live
// region. The names and the live setting go through Windows' accessibility annotations
// (oleacc); where that service is missing the dialog works on without them, and the
// announcement event is raised all the same.
#include <windows.h>

struct IAccPropServices;

class CScreenReader {
public:
    enum class Urgency { Polite, Assertive };

    CScreenReader() = default;
    ~CScreenReader() { Detach(); }
    CScreenReader(const CScreenReader&) = delete;
    CScreenReader& operator=(const CScreenReader&) = delete;

    // Takes the annotation service; COM must be initialised on this thread. False when the
    // service is missing: Name and Announce then only raise the event.
    bool Attach();
    // Gives the control the name a screen reader says for it.
    void Name(HWND control, const wchar_t* name);
    // Names the control `label`, a blank and `text` as the dialog shows it (ANSI): each
    // run of line ends and blanks reads as one blank, none at the end. A name longer than
    // kMaxName characters is cut there.
    void Name(HWND control, const char* label, const char* text);
    // Announces `text`, new in the control: names it as above, so that what is said is the
    // new text itself, then raises the live-region event, to be said politely after what
    // is being said, or at once.
    void Announce(HWND control, const char* label, const char* text, Urgency urgency);
    // Drops the names given and the service, before COM is released on this thread. The
    // controls must still exist.
    void Detach();

    static constexpr int kMaxName = 127;

private:
    static constexpr int kMaxControls = 8;

    IAccPropServices* m_pServices = nullptr;
    HWND m_annotated[kMaxControls] = {};
    int m_nAnnotated = 0;
};
