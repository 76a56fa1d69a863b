#pragma once
// What a screen reader learns of the main dialog: a name for each control that has no
// caption of its own, and each new text of the status log, announced as a live region.
// The names and the live setting go through Windows' accessibility annotations (oleacc);
// where that service is missing the dialog works on without them, and the announcement
// event is raised all the same.
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
    // service is missing: Name then does nothing.
    bool Attach();
    // Gives the control the name a screen reader says for it.
    void Name(HWND control, const wchar_t* name);
    // Announces the control's new text: politely after what is being said, or at once.
    void Announce(HWND control, Urgency urgency);
    // Drops the names given and the service, before COM is released on this thread.
    void Detach();

private:
    static constexpr int kMaxControls = 8;

    IAccPropServices* m_pServices = nullptr;
    HWND m_annotated[kMaxControls] = {};
    int m_nAnnotated = 0;
};
