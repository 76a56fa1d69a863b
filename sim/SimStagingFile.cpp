#include "sim/SimStagingFile.h"

#include "sim/SimFlash.h"

namespace {

constexpr DWORD kStagingSize = SimFlash::kSize * 2;

} // namespace

HRESULT ReadStagingFile(const char* path, std::vector<BYTE>* flashContent) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return error != ERROR_SUCCESS ? HRESULT_FROM_WIN32(error) : E_FAIL;
    }
    LARGE_INTEGER size = {};
    std::vector<BYTE> records;
    bool whole = GetFileSizeEx(file, &size) && size.QuadPart == kStagingSize;
    if (whole) {
        records.resize(kStagingSize);
        DWORD read = 0;
        whole =
            ReadFile(file, records.data(), kStagingSize, &read, nullptr) && read == kStagingSize;
    }
    CloseHandle(file);
    if (!whole)
        return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);

    flashContent->assign(SimFlash::kSize, 0xFF);
    for (DWORD record = 0; record < kStagingSize / 4; ++record) {
        const BYTE* bytes = &records[record * 4];
        if (bytes[1] != 0xFF || bytes[3] != 0xFF)
            return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
        (*flashContent)[record * 2] = bytes[0];
        (*flashContent)[record * 2 + 1] = bytes[2];
    }
    return S_OK;
}
