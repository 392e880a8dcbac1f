#include "model/line_reader.h"

namespace korvel::model {

bool LineReader::next() {
    if (pos_ >= text_.size()) return false;
    size_t n = 0;
    while (n < line_.size() - 1 && pos_ < text_.size()) {
        char c = text_[pos_++];
        if (c == '\r' && pos_ < text_.size() && text_[pos_] == '\n') c = text_[pos_++];
        line_[n++] = c;
        if (c == '\n') break;
    }
    line_[n] = '\0';
    return true;
}

}  // namespace korvel::model
