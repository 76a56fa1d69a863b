// A binary file on a Win32 handle, opened with explicit access and sharing modes.
// Failures are reported by return values; only Remove raises CFileException.
#pragma once

#include <windows.h>

#include <exception>
#include <string>

// Raised by CFile::Remove, and filled in by a failed CFile::Open.
class CFileException : public std::exception {
public:
    CFileException() = default;
    CFileException(DWORD osError, const char* fileName);

    const char* what() const noexcept override { return "file operation failed"; }

    DWORD m_lOsError = ERROR_SUCCESS; // GetLastError() of the failed call
    std::string m_strFileName;
};

class CFile {
public:
    // Open flags: one access mode, one sharing mode, optionally modeCreate or modeCreateNew.
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareExclusive = 0x0010, // no other open of the file while this one is open
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeCreate = 0x1000, // create the file, or truncate it to 0 bytes if it exists
        // create the file; fails (ERROR_FILE_EXISTS) when anything of that name exists, a
        // link included, which is then never followed
        modeCreateNew = 0x2000,
    };
    enum SeekPosition : UINT { begin = 0, current = 1, end = 2 };

    CFile() = default;
    ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Non-zero on success. On failure the object stays closed and `error`, if given,
    // records the system error and the path. Fails on an object that is already open.
    BOOL Open(const char* path, UINT flags, CFileException* error = nullptr);
    bool IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }

    // The number of bytes actually read: less than `count` at the end of the file,
    // 0 on failure or when the file is closed.
    UINT Read(void* buffer, UINT count);
    // The number of bytes actually written; anything less than `count` is a failed write.
    UINT Write(const void* buffer, UINT count);
    // The new position from the start of the file, or -1 when the file could not be
    // moved (closed file, unknown origin, a position before the start).
    LONGLONG Seek(LONG offset, UINT from);
    // The length in bytes; 0 when the file is closed or its size cannot be read.
    ULONGLONG GetLength() const;
    void Close();

    // Deletes the file; raises CFileException when it cannot.
    static void Remove(const char* path);

private:
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
};
