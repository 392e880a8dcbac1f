// What the host hands the library by name: wide-character strings from the C
// interface, converted to UTF-8, and whole files read and written for every
// reader of files a host names (model files, the effect file and images).
//
// Reads open only regular files, checked before any byte is read and without
// blocking, so a FIFO, a device such as /dev/zero or a directory fails at
// once; each caller gives a size ceiling so that no file can exhaust memory.
// On Windows the UTF-8 paths go to the wide-character file functions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace korvel::platform {

// The Unicode scalar value at the start of a null-terminated wide string,
// which is advanced past it: UTF-32 units (Linux) one at a time, UTF-16
// (Windows) with surrogate pairs joined. Values that are not scalar values
// (unpaired surrogates, negative or above U+10FFFF) become U+FFFD.
char32_t nextScalarValue(const wchar_t*& wide);

// UTF-8 encoding of a null-terminated wide string, value by value as
// nextScalarValue reads it; null gives an empty string.
std::string utf8FromWide(const wchar_t* wide);

#ifdef _WIN32
// UTF-16 of a UTF-8 string, for the wide-character Win32 functions; empty
// when the string is empty, is not valid UTF-8 or holds a null (which would
// make a path or a name end early).
std::wstring wideFromUtf8(const std::string& utf8);
#endif

enum class FileRead {
    ok,
    missing,     // cannot be opened
    notRegular,  // a directory, FIFO, socket or device
    tooLarge,    // above the caller's ceiling
    failed,      // a read error, or the file changed size while read
};

// A regular file opened for reading in order, with the checks of the
// whole-file reads below, for readers that take a large file a window at a
// time instead of into one buffer of its size.
class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // ok, missing, notRegular, tooLarge (above maxBytes) or failed.
    FileRead open(const std::string& utf8Path, uint64_t maxBytes);
    // The size the file had when opened.
    uint64_t size() const { return size_; }
    // Reads up to capacity bytes, never past that size; 0 at the end, or
    // after a read error or when the file shrank (failed() tells which).
    size_t read(void* out, size_t capacity);
    bool failed() const { return failed_; }

private:
#ifdef _WIN32
    void* handle_ = nullptr;  // a Win32 HANDLE
#else
    int fd_ = -1;
#endif
    uint64_t size_ = 0;
    uint64_t remaining_ = 0;
    bool failed_ = false;
};

// Reads a regular file of at most maxBytes into out, in one go. out is empty
// unless the result is ok.
FileRead readFileBytes(const std::string& utf8Path, uint64_t maxBytes, std::vector<uint8_t>& out);

// The same into a string, for the text formats.
FileRead readFileText(const std::string& utf8Path, uint64_t maxBytes, std::string& out);

// Creates or truncates the file and writes size bytes to it.
bool writeFileBytes(const std::string& utf8Path, const uint8_t* data, size_t size);

}  // namespace korvel::platform
