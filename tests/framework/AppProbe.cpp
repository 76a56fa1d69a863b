// A program on the framework's entry point: exit code 42 tells that InitInstance ran
// before ExitInstance and that ExitInstance's result ended the process.
#include "framework/WinApp.h"

namespace {

class ProbeApp : public CWinApp {
public:
    BOOL InitInstance() override { return m_initRan = true; }
    int ExitInstance() override { return m_initRan ? 42 : 43; }

private:
    bool m_initRan = false;
};

ProbeApp theApp;

} // namespace
