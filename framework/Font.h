// CFont: a GDI font that the object owns and deletes.
#pragma once

#include <windows.h>

class CFont {
public:
    CFont() = default;
    ~CFont() { DeleteObject(); }
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    // Takes CreateFontA's parameters; replaces any font held before. Non-zero on success.
    BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                    BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision,
                    BYTE clipPrecision, BYTE quality, BYTE pitchAndFamily, const char* faceName) {
        DeleteObject();
        m_hObject = ::CreateFont(height, width, escapement, orientation, weight, italic, underline,
                                 strikeOut, charSet, outPrecision, clipPrecision, quality,
                                 pitchAndFamily, faceName);
        return m_hObject != nullptr;
    }

    void DeleteObject() {
        if (m_hObject) {
            ::DeleteObject(m_hObject);
            m_hObject = nullptr;
        }
    }

    operator HFONT() const { return m_hObject; }

    HFONT m_hObject = nullptr;
};
