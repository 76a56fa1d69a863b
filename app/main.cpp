// The program's one application object; the framework's entry point runs it.
#include "app/DllSearch.h"
#include "app/UpdaterApp.h"

namespace {

// Constructed before the application object, so nothing the program loads later can
// come from the folder the program was started from.
struct DllSearchRestriction {
    DllSearchRestriction() { RestrictDllSearch(); }
} g_dllSearchRestriction;

} // namespace

CUpdaterApp theApp;
