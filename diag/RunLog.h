#pragma once
// The record that each program run leaves for the maker's support: a plain-text file in
// the folder the program runs from, one block per run, each line after the first with
// the seconds since the run began. The file stays small: when a run begins, the oldest
// records are dropped until what is left is under kKeepBytes. Callers write file names
// only, never whole paths (they carry the user's name). A file that cannot be read or
// written never changes the run: every failure is ignored.
#include <windows.h>

class CRunLog {
public:
    // What the older records may keep of the file when a run begins, leaving room for
    // the new record within about 64 KiB.
    static constexpr DWORD kKeepBytes = 56 * 1024;

    // Starts this run's record in the file at `path` (at most MAX_PATH - 1 characters):
    // drops the oldest records, then writes the first line: "=== ", the local date and
    // time, `program` (its name and version) and Windows' version.
    void Begin(const char* path, const char* program);
    // Appends one line made as printf makes it, cut at 255 characters; nothing before
    // Begin.
    void Note(const char* format, ...) __attribute__((format(printf, 2, 3)));

private:
    void Append(const char* line);

    char m_szPath[MAX_PATH] = {};
    DWORD m_dwStart = 0;
};
