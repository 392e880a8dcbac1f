#include "model/line_reader.h"

#include <algorithm>
#include <cstring>

namespace korvel::model {

bool LineReader::next() {
    if (pos_ >= text_.size()) return false;
    const size_t capacity = line_.size() - 1;  // 511 bytes and the terminating null
    const char* start = text_.data() + pos_;
    const size_t available = text_.size() - pos_;
    // A line end within reach; "\r\n" shrinks to '\n', so one more raw byte may fit.
    if (const auto* end = static_cast<const char*>(std::memchr(start, '\n', std::min(available, capacity + 1)))) {
        const size_t raw = static_cast<size_t>(end - start) + 1;
        const size_t length = raw >= 2 && start[raw - 2] == '\r' ? raw - 1 : raw;
        if (length <= capacity) {
            std::memcpy(line_.data(), start, length - 1);
            line_[length - 1] = '\n';
            line_[length] = '\0';
            pos_ += raw;
            return true;
        }
    }
    // No line end among the next 511 bytes: they are a line of their own.
    const size_t length = std::min(available, capacity);
    std::memcpy(line_.data(), start, length);
    line_[length] = '\0';
    pos_ += length;
    return true;
}

}  // namespace korvel::model
