#include "model/xfile_lines.h"

#include <algorithm>
#include <cstring>

#include "model/xfile_scan.h"

namespace korvel::model::xfile {

bool XLines::next() {
    if (pos_ >= text_.size()) {
        line_[0] = '\0';
        return false;
    }
    const size_t capacity = line_.size() - 1;
    const size_t newline = text_.find('\n', pos_);
    size_t contentEnd = newline == std::string_view::npos ? text_.size() : newline;
    const bool crlf = newline != std::string_view::npos && contentEnd > pos_ && text_[contentEnd - 1] == '\r';
    if (crlf) --contentEnd;
    const size_t length = contentEnd - pos_;
    const bool ended = newline != std::string_view::npos;
    if (length + (ended ? 1 : 0) <= capacity) {
        std::memcpy(line_.data(), text_.data() + pos_, length);
        size_t n = length;
        if (ended) line_[n++] = '\n';
        line_[n] = '\0';
        pos_ = ended ? newline + 1 : text_.size();
        return true;
    }
    std::memcpy(line_.data(), text_.data() + pos_, capacity);
    line_[capacity] = '\0';
    pos_ += capacity;
    return true;
}

void XLines::skip(int64_t n) {
    for (int64_t i = 0; i < n && next(); ++i) {
    }
}

bool XLines::until(std::string_view pattern) {
    while (next())
        if (matchesPattern(line(), pattern)) return true;
    return false;
}

int32_t XLines::count() {
    next();
    int32_t value = 0;
    scanLine(line(), "%d", {&value});
    return value;
}

std::string nameBefore(const char* line, size_t start, char end) {
    const size_t length = std::strlen(line);
    if (start >= length) return {};
    const char* found = std::strchr(line + start, end);
    if (found == nullptr || found == line + start) return {};
    const size_t n = static_cast<size_t>(found - (line + start)) - 1;
    return std::string(line + start, std::min(n, kNameMax));
}

std::string quoted(const char* line, size_t max) {
    const char* open = std::strchr(line, '"');
    if (open == nullptr) return {};
    const char* close = std::strchr(open + 1, '"');
    if (close == nullptr) return {};
    return std::string(open + 1, std::min(static_cast<size_t>(close - open - 1), max));
}

}  // namespace korvel::model::xfile
