#include "firmware/HeldFile.h"

namespace {

// A held file is tried this many times, this long apart.
constexpr int kAttempts = 21;
constexpr DWORD kRetryMs = 100;

} // namespace

DWORD RetryWhileHeld(const std::function<DWORD()>& attempt) {
    for (int tried = 1;; ++tried) {
        const DWORD error = attempt();
        const bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED;
        if (!held || tried == kAttempts) {
            return error;
        }
        ::Sleep(kRetryMs);
    }
}

bool OpenWhenFree(CFile& file, const char* path, UINT flags) {
    return RetryWhileHeld([&] {
               CFileException error;
               return file.Open(path, flags, &error) ? ERROR_SUCCESS : error.m_lOsError;
           }) == ERROR_SUCCESS;
}
