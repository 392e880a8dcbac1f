// Files on Windows: paths go to the wide-character Win32 functions, so any
// name the host passes reaches the file system unchanged, whatever the
// system's code page. InputFile opens with shared reading and checks that
// the handle is a disk file that is not a directory before any byte is read:
// devices (NUL, CON) and pipes fail at once.
#include "platform/files.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <climits>

namespace korvel::platform {

std::wstring wideFromUtf8(const std::string& utf8) {
    if (utf8.empty() || utf8.size() > INT_MAX) return {};
    const int length = static_cast<int>(utf8.size());
    const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, nullptr, 0);
    if (units <= 0) return {};
    std::wstring wide(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, wide.data(), units);
    if (wide.find(L'\0') != std::wstring::npos) return {};
    return wide;
}

InputFile::~InputFile() {
    if (handle_) CloseHandle(static_cast<HANDLE>(handle_));
}

FileRead InputFile::open(const std::string& utf8Path, uint64_t maxBytes) {
    const std::wstring path = wideFromUtf8(utf8Path);
    if (path.empty()) return FileRead::missing;
    // Backup semantics let a directory open too, so that it is reported as
    // one rather than as missing.
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return FileRead::missing;
    handle_ = handle;
    if (GetFileType(handle) != FILE_TYPE_DISK) return FileRead::notRegular;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info)) return FileRead::failed;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return FileRead::notRegular;
    const uint64_t size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (size > maxBytes) return FileRead::tooLarge;
    size_ = remaining_ = size;
    return FileRead::ok;
}

size_t InputFile::read(void* out, size_t capacity) {
    if (remaining_ == 0 || capacity == 0) return 0;
    const auto wanted = static_cast<DWORD>(std::min<uint64_t>({capacity, remaining_, 1u << 30}));
    DWORD got = 0;
    if (!ReadFile(static_cast<HANDLE>(handle_), out, wanted, &got, nullptr) || got == 0) {
        failed_ = true;
        return 0;
    }
    remaining_ -= got;
    return got;
}

bool writeFileBytes(const std::string& utf8Path, const uint8_t* data, size_t size) {
    const std::wstring path = wideFromUtf8(utf8Path);
    if (path.empty()) return false;
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    bool written = true;
    while (written && size > 0) {
        const auto chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
        DWORD done = 0;
        written = WriteFile(handle, data, chunk, &done, nullptr) && done == chunk;
        data += done;
        size -= done;
    }
    return CloseHandle(handle) && written;
}

}  // namespace korvel::platform
