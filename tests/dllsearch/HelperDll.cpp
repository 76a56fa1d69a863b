// zrchelper.dll, zrcbeside.dll and zrclate.dll, and the planted copies: each exports one
// function, HelperMark or BesideMark, that returns the mark it was built with.
#include "tests/dllsearch/DllProbe.h"

extern "C" __declspec(dllexport) int ZRC_HELPER_FUNCTION() {
    return ZRC_HELPER_MARK;
}
