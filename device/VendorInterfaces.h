#pragma once
// The private COM interfaces of the device maker's three DirectShow filters. Their
// identifiers and graph names are in VendorFilters.h.
//
// The maker publishes no headers, only the method slots: each interface is declared
// here as its method table, slot by slot, with the slots the updater never calls
// kept as placeholders. A method one slot off would call a different vendor method
// on a real device, so every named slot is checked at compile time below.
#include <windows.h>
#include <unknwn.h>

#include <cstddef>

#include "device/FlashUpdateArgs.h"

// A vendor method the updater never calls; it only keeps the later slots in place.
using VendorSlot = void*;

// --- Method tables -----------------------------------------------------------------
// Each method takes the interface pointer first, with the platform's COM calling
// convention (STDMETHODCALLTYPE), exactly as a C++ virtual method of a COM interface.

struct ISourcePrivate;
struct ISourcePrivateVtbl {
    /* 0 */ HRESULT(STDMETHODCALLTYPE* QueryInterface)(ISourcePrivate*, REFIID, void**);
    /* 1 */ ULONG(STDMETHODCALLTYPE* AddRef)(ISourcePrivate*);
    /* 2 */ ULONG(STDMETHODCALLTYPE* Release)(ISourcePrivate*);
    /* 3-33 */ VendorSlot unusedSlots3To33[31];
    /* 34 */ HRESULT(STDMETHODCALLTYPE* QuerySourceWord)(ISourcePrivate*, DWORD* value);
    /* 35 */ HRESULT(STDMETHODCALLTYPE* ReadyProbe1)(ISourcePrivate*);
    /* 36 */ VendorSlot unusedSlot36;
    /* 37 */ HRESULT(STDMETHODCALLTYPE* ReadyProbe2)(ISourcePrivate*);
    /* 38 */ HRESULT(STDMETHODCALLTYPE* ReadyProbe3)(ISourcePrivate*);
    /* 39-40 */ VendorSlot unusedSlots39To40[2];
    /* 41 */ HRESULT(STDMETHODCALLTYPE* GetMicrocodeVersion)(ISourcePrivate*, DWORD* version);
    /* 42-53 */ VendorSlot unusedSlots42To53[12];
    /* 54 */ HRESULT(STDMETHODCALLTYPE* QuerySourceFlag)(ISourcePrivate*);
    /* 55-56 */ VendorSlot unusedSlots55To56[2];
    /* 57 */ HRESULT(STDMETHODCALLTYPE* SetSourceByte)(ISourcePrivate*, BYTE value);
    /* 58-65 */ VendorSlot unusedSlots58To65[8];
    /* 66 */ HRESULT(STDMETHODCALLTYPE* GetVersionString)(ISourcePrivate*, char** text);
    /* 67-89 */ VendorSlot unusedSlots67To89[23];
    /* 90 */ HRESULT(STDMETHODCALLTYPE* FlashUpdate)(ISourcePrivate*, UpdateThreadArgs* updateArgs);
    /* 91-93 */ VendorSlot unusedSlots91To93[3];
    /* 94 */ HRESULT(STDMETHODCALLTYPE* ReadFlashWord)(ISourcePrivate*, DWORD address,
                                                       DWORD* value);
};
struct ISourcePrivate {
    const ISourcePrivateVtbl* lpVtbl;
};

struct ISplitterPrivate;
struct ISplitterPrivateVtbl {
    /* 0 */ HRESULT(STDMETHODCALLTYPE* QueryInterface)(ISplitterPrivate*, REFIID, void**);
    /* 1 */ ULONG(STDMETHODCALLTYPE* AddRef)(ISplitterPrivate*);
    /* 2 */ ULONG(STDMETHODCALLTYPE* Release)(ISplitterPrivate*);
    /* 3-24 */ VendorSlot unusedSlots3To24[22];
    /* 25 */ HRESULT(STDMETHODCALLTYPE* GetVersionString)(ISplitterPrivate*, char** text);
};
struct ISplitterPrivate {
    const ISplitterPrivateVtbl* lpVtbl;
};

struct ISinkPrivate;
struct ISinkPrivateVtbl {
    /* 0 */ HRESULT(STDMETHODCALLTYPE* QueryInterface)(ISinkPrivate*, REFIID, void**);
    /* 1 */ ULONG(STDMETHODCALLTYPE* AddRef)(ISinkPrivate*);
    /* 2 */ ULONG(STDMETHODCALLTYPE* Release)(ISinkPrivate*);
    /* 3 */ VendorSlot unusedSlot3;
    /* 4 */ HRESULT(STDMETHODCALLTYPE* GetVersionString)(ISinkPrivate*, char** text);
};
struct ISinkPrivate {
    const ISinkPrivateVtbl* lpVtbl;
};

// Calls GetVersionString on pInterface, a private interface of type I that a
// QueryInterface returned; the text stays owned by the filter.
template <class I> HRESULT CallGetVersionString(IUnknown* pInterface, char** text) {
    I* p = reinterpret_cast<I*>(pInterface);
    return p->lpVtbl->GetVersionString(p, text);
}

// --- Slot checks -------------------------------------------------------------------

constexpr std::size_t VendorSlotOffset(int slot) {
    return static_cast<std::size_t>(slot) * sizeof(void*);
}

static_assert(offsetof(ISourcePrivateVtbl, Release) == VendorSlotOffset(2));
static_assert(offsetof(ISourcePrivateVtbl, QuerySourceWord) == VendorSlotOffset(34));
static_assert(offsetof(ISourcePrivateVtbl, ReadyProbe1) == VendorSlotOffset(35));
static_assert(offsetof(ISourcePrivateVtbl, ReadyProbe2) == VendorSlotOffset(37));
static_assert(offsetof(ISourcePrivateVtbl, ReadyProbe3) == VendorSlotOffset(38));
static_assert(offsetof(ISourcePrivateVtbl, GetMicrocodeVersion) == VendorSlotOffset(41));
static_assert(offsetof(ISourcePrivateVtbl, QuerySourceFlag) == VendorSlotOffset(54));
static_assert(offsetof(ISourcePrivateVtbl, SetSourceByte) == VendorSlotOffset(57));
static_assert(offsetof(ISourcePrivateVtbl, GetVersionString) == VendorSlotOffset(66));
static_assert(offsetof(ISourcePrivateVtbl, FlashUpdate) == VendorSlotOffset(90));
static_assert(offsetof(ISourcePrivateVtbl, ReadFlashWord) == VendorSlotOffset(94));
static_assert(sizeof(ISourcePrivateVtbl) == VendorSlotOffset(95));

static_assert(offsetof(ISplitterPrivateVtbl, GetVersionString) == VendorSlotOffset(25));
static_assert(sizeof(ISplitterPrivateVtbl) == VendorSlotOffset(26));

static_assert(offsetof(ISinkPrivateVtbl, GetVersionString) == VendorSlotOffset(4));
static_assert(sizeof(ISinkPrivateVtbl) == VendorSlotOffset(5));
