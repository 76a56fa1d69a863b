#include "framework/platform/File.h"

CFileException::CFileException(DWORD osError, const char* fileName)
    : m_lOsError(osError), m_strFileName(fileName ? fileName : "") {}

namespace {

DWORD DesiredAccess(UINT flags) {
    switch (flags & 0x3) {
    case CFile::modeRead:
        return GENERIC_READ;
    case CFile::modeWrite:
        return GENERIC_WRITE;
    case CFile::modeReadWrite:
        return GENERIC_READ | GENERIC_WRITE;
    default:
        return 0;
    }
}

DWORD ShareMode(UINT flags) {
    switch (flags & 0x70) {
    case CFile::shareExclusive:
        return 0;
    case CFile::shareDenyWrite:
        return FILE_SHARE_READ;
    case CFile::shareDenyRead:
        return FILE_SHARE_WRITE;
    default:
        return FILE_SHARE_READ | FILE_SHARE_WRITE;
    }
}

} // namespace

CFile::~CFile() {
    Close();
}

BOOL CFile::Open(const char* path, UINT flags, CFileException* error) {
    DWORD access = DesiredAccess(flags);
    HANDLE file = INVALID_HANDLE_VALUE;
    if (IsOpen() || !path || access == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
    } else {
        DWORD disposition = (flags & modeCreateNew) ? CREATE_NEW
                            : (flags & modeCreate)  ? CREATE_ALWAYS
                                                    : OPEN_EXISTING;
        file = CreateFileA(path, access, ShareMode(flags), nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (file == INVALID_HANDLE_VALUE) {
        if (error)
            *error = CFileException(GetLastError(), path);
        return FALSE;
    }
    m_hFile = file;
    return TRUE;
}

UINT CFile::Read(void* buffer, UINT count) {
    DWORD read = 0;
    if (!IsOpen() || !ReadFile(m_hFile, buffer, count, &read, nullptr))
        return 0;
    return read;
}

UINT CFile::Write(const void* buffer, UINT count) {
    DWORD written = 0;
    if (!IsOpen() || !WriteFile(m_hFile, buffer, count, &written, nullptr))
        return 0;
    return written;
}

LONGLONG CFile::Seek(LONG offset, UINT from) {
    static const DWORD methods[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
    if (!IsOpen() || from > end)
        return -1;
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER position;
    if (!SetFilePointerEx(m_hFile, distance, &position, methods[from]))
        return -1;
    return position.QuadPart;
}

ULONGLONG CFile::GetLength() const {
    LARGE_INTEGER size;
    if (!IsOpen() || !GetFileSizeEx(m_hFile, &size))
        return 0;
    return static_cast<ULONGLONG>(size.QuadPart);
}

void CFile::Close() {
    if (IsOpen()) {
        CloseHandle(m_hFile);
        m_hFile = INVALID_HANDLE_VALUE;
    }
}

void CFile::Remove(const char* path) {
    if (!path || !DeleteFileA(path))
        throw CFileException(path ? GetLastError() : ERROR_INVALID_PARAMETER, path);
}
