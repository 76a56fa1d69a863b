#include "diag/RunLog.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr char kRecordStart[] = "=== ";
constexpr char kNewFileSuffix[] = ".new";

// The newest whole records of the file at `path` that fit in `keep` bytes: those that
// begin in its last `keep` bytes, or all of a smaller file that begins with a record. Only
// that end is read, so a file of any size is trimmed, and text before the first record
// start (garbage, another file's content) is dropped. Nothing when the file cannot be
// read, is no file on a disk, or is reached through a link: a hard link's other names and
// a symbolic link's target are another file, whose text is not the log's. The kept text
// ends a line.
std::string KeptRecords(const char* path, DWORD keep) {
    std::string kept;
    HANDLE file =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return kept;
    BY_HANDLE_FILE_INFORMATION info = {};
    const bool alone = GetFileInformationByHandle(file, &info) && info.nNumberOfLinks == 1 &&
                       !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
    LARGE_INTEGER size = {};
    if (alone && GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size) &&
        size.QuadPart > 0) {
        LARGE_INTEGER from = {};
        from.QuadPart = size.QuadPart > keep ? size.QuadPart - keep : 0;
        kept.resize(static_cast<std::size_t>(size.QuadPart - from.QuadPart));
        DWORD got = 0;
        if (!SetFilePointerEx(file, from, nullptr, FILE_BEGIN) ||
            !ReadFile(file, &kept[0], static_cast<DWORD>(kept.size()), &got, nullptr))
            got = 0;
        kept.resize(got);
        if (from.QuadPart > 0 || kept.compare(0, sizeof kRecordStart - 1, kRecordStart) != 0) {
            const std::size_t start = kept.find(std::string("\n") + kRecordStart);
            kept = start == std::string::npos ? std::string() : kept.substr(start + 1);
        }
    }
    CloseHandle(file);
    if (!kept.empty() && kept.back() != '\n')
        kept += "\r\n";
    return kept;
}

// A new file at `path`, open for writing and for its own rename and removal; others may
// read or write it (write sharing lets Begin reopen it for appending) but neither move
// nor remove it. Made new, it is never a file that was there nor a link's target.
// Whatever lies at that name already is left alone, even one left by a run that ended
// between this and the rename: Wine deletes a symbolic link's target rather than the
// link, so no name is ever deleted.
HANDLE CreateOwnFile(const char* path) {
    return CreateFileA(path, GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Gives the open file the name `path`, replacing what lies there. The rename goes through
// the handle (a file must be closed before MoveFileEx may move it): a file, a hard link or
// a symbolic link at that name is replaced as a name, and whatever it led to stays as it
// was. Fails when the name is a folder or held by a program that does not share deletion.
bool RenameOpenFile(HANDLE file, const char* path) {
    wchar_t name[MAX_PATH];
    wchar_t full[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, path, -1, name, MAX_PATH))
        return false;
    const DWORD length = GetFullPathNameW(name, MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH)
        return false;
    alignas(FILE_RENAME_INFO) unsigned char buffer[sizeof(FILE_RENAME_INFO) + sizeof full];
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer);
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = length * sizeof(wchar_t);
    std::memcpy(info->FileName, full, (length + 1) * sizeof(wchar_t));
    return SetFileInformationByHandle(file, FileRenameInfo, info, sizeof buffer) != FALSE;
}

// Removes the file made by CreateOwnFile through its handle, and closes it.
void Discard(HANDLE file) {
    FILE_DISPOSITION_INFO dispose = {TRUE};
    SetFileInformationByHandle(file, FileDispositionInfo, &dispose, sizeof dispose);
    CloseHandle(file);
}

// Windows' own version: GetVersionEx answers what the program's manifest lets it see.
void WindowsVersion(char (&text)[40]) {
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    auto getVersion = reinterpret_cast<RtlGetVersionFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (getVersion && getVersion(&info) == 0)
        std::snprintf(text, sizeof text, "%lu.%lu.%lu", info.dwMajorVersion, info.dwMinorVersion,
                      info.dwBuildNumber);
    else
        std::snprintf(text, sizeof text, "unknown");
}

} // namespace

CRunLog::~CRunLog() {
    if (m_hFile != INVALID_HANDLE_VALUE)
        CloseHandle(m_hFile);
}

void CRunLog::Begin(const char* path, const char* program) {
    if (m_hFile != INVALID_HANDLE_VALUE)
        CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    m_dwStart = GetTickCount();
    char newPath[MAX_PATH];
    if (std::snprintf(newPath, sizeof newPath, "%s%s", path, kNewFileSuffix) >=
        static_cast<int>(sizeof newPath))
        return;
    const std::string kept = KeptRecords(path, kKeepBytes);
    HANDLE file = CreateOwnFile(newPath);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    // The old log stays as it was until the new one, kept records included, takes its name.
    if (!WriteFile(file, kept.data(), static_cast<DWORD>(kept.size()), &written, nullptr) ||
        written != kept.size() || !RenameOpenFile(file, path)) {
        Discard(file);
        return;
    }
    // The same file again, by its handle, without the right to remove it, which would keep
    // every program that does not share removal (most editors) from reading the log; each
    // write goes to its end.
    m_hFile = ReOpenFile(file, FILE_APPEND_DATA | SYNCHRONIZE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0);
    CloseHandle(file);
    if (m_hFile == INVALID_HANDLE_VALUE)
        return;

    SYSTEMTIME now;
    GetLocalTime(&now);
    char windows[40];
    WindowsVersion(windows);
    char line[256];
    std::snprintf(line, sizeof line, "%s%04u-%02u-%02u %02u:%02u:%02u %s, Windows %s", kRecordStart,
                  now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, program,
                  windows);
    Append(line);
}

void CRunLog::Note(const char* format, ...) {
    if (m_hFile == INVALID_HANDLE_VALUE)
        return;
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    const DWORD elapsed = GetTickCount() - m_dwStart;
    char line[272];
    std::snprintf(line, sizeof line, "%6lu.%lu %s", static_cast<unsigned long>(elapsed / 1000),
                  static_cast<unsigned long>(elapsed % 1000 / 100), text);
    Append(line);
}

void CRunLog::Append(const char* line) {
    char text[276];
    const int length = std::snprintf(text, sizeof text, "%s\r\n", line);
    DWORD written = 0;
    if (length > 0)
        WriteFile(m_hFile, text, static_cast<DWORD>(length), &written, nullptr);
}
