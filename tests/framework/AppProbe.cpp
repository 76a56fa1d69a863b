// A program built on the framework's entry point: its exit code tells whether
// InitInstance ran before ExitInstance, and that ExitInstance's result ended the process.
#include "WinApp.h"

namespace {

class ProbeApp : public CWinApp {
public:
    BOOL InitInstance() override {
        m_initRan = true;
        return TRUE;
    }
    int ExitInstance() override { return m_initRan ? 42 : 43; }

private:
    bool m_initRan = false;
};

ProbeApp theApp;

} // namespace
