#pragma once
// The test's stand-in for a driver filter: an in-process COM server, dllprobe.dll, that
// imports zrchelper.dll (found only through PATH) and zrcbeside.dll (beside it), and loads
// zrclate.dll (found only through PATH) by bare name when asked.
#include <objbase.h>

// {F56B1DD3-D57F-4311-92A6-F3F66C498F5B}
inline constexpr CLSID CLSID_DllProbe = {
    0xf56b1dd3, 0xd57f, 0x4311, {0x92, 0xa6, 0xf3, 0xf6, 0x6c, 0x49, 0x8f, 0x5b}};
// {00C938FB-71A4-4D91-BCE0-C2BE856D30B1}
inline constexpr IID IID_IDllProbe = {
    0x00c938fb, 0x71a4, 0x4d91, {0xbc, 0xe0, 0xc2, 0xbe, 0x85, 0x6d, 0x30, 0xb1}};

// What each helper DLL's HelperMark() returns: the genuine copies name themselves, every
// planted copy returns kPlantedMark.
enum HelperMark { kPathHelperMark = 1, kBesideMark = 2, kLateMark = 3, kPlantedMark = 9 };

// The server's class object.
struct IDllProbe : IUnknown {
    // The marks of the two imported helpers, and of zrclate.dll loaded now by bare name.
    // Fails with the load's error, as an HRESULT, when zrclate.dll cannot be loaded.
    virtual HRESULT STDMETHODCALLTYPE Marks(int* imported, int* beside, int* late) = 0;
};
