#pragma once
// The record that each program run leaves for the maker's support: a plain-text file in
// the folder the program runs from, one block per run, each line after the first with
// the seconds since the run began. The file stays small: when a run begins, the newest
// whole records that fit in kKeepBytes are kept, whatever the old file's size or content.
// Callers write file names only, never whole paths (they carry the user's name).
//
// The program writes only into a file it made itself: the kept records go into a new file
// beside the log (its name with ".new" added), which then takes the log's name by a rename
// of the open file. A hard or symbolic link at that name is replaced, never written
// through, and the run's lines go through that one handle. A log that cannot be made so
// (the new file's name is taken, the log's name is a folder or held by another program)
// is not written this run, and the old one stays as it was; no failure changes the run.
#include <windows.h>

// The program's run log, in the folder it runs from.
inline constexpr char RUN_LOG_PATH[] = ".\\ZrcUpdater.log";

class CRunLog {
public:
    // What the older records may keep of the file when a run begins, leaving room for
    // the new record within about 64 KiB.
    static constexpr DWORD kKeepBytes = 56 * 1024;

    CRunLog() = default;
    ~CRunLog();
    CRunLog(const CRunLog&) = delete;
    CRunLog& operator=(const CRunLog&) = delete;

    // Starts this run's record in the file at `path` (at most MAX_PATH - 5 characters):
    // keeps the newest records, then writes the first line: "=== ", the local date and
    // time, `program` (its name and version) and Windows' version.
    void Begin(const char* path, const char* program);
    // Appends one line made as printf makes it, cut at 255 characters; nothing before
    // Begin, or when the log could not be made. Each line reaches Windows in one write:
    // nothing stays in the program when it ends abruptly.
    void Note(const char* format, ...) __attribute__((format(printf, 2, 3)));

private:
    void Append(const char* line);

    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    DWORD m_dwStart = 0;
};
