#include "platform/gpu/hlsl/source_tokens.h"

#include <cctype>

namespace korvel::gpu::hlsl {

namespace {

bool identifierStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool identifierChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool digit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// Removes every backslash that ends a line, with its line end, as the
// preprocessor does before it looks for tokens.
std::string joinLines(std::string_view source) {
    std::string joined;
    joined.reserve(source.size());
    for (size_t i = 0; i < source.size(); ++i) {
        if (source[i] == '\\') {
            size_t next = i + 1;
            if (next < source.size() && source[next] == '\r') ++next;
            if (next < source.size() && source[next] == '\n') {
                i = next;
                continue;
            }
        }
        joined += source[i];
    }
    return joined;
}

// Length of the punctuator at the start of text: the longest of the
// multi-character operators, else one character.
size_t punctuatorLength(std::string_view text) {
    static constexpr std::string_view kLong[] = {"<<=", ">>=", "...", "##", "<<", ">>", "<=", ">=", "==", "!=",
                                                 "&&",  "||",  "++",  "--", "+=", "-=", "*=", "/=", "%=", "&=",
                                                 "|=",  "^=",  "->",  "::"};
    for (std::string_view op : kLong)
        if (text.substr(0, op.size()) == op) return op.size();
    return 1;
}

}  // namespace

TokenizedSource tokenize(std::string_view source) {
    TokenizedSource out;
    out.text = joinLines(source);
    const std::string_view text = out.text;
    bool lineStart = true;
    bool inDirective = false;
    bool space = true;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\n') {
            lineStart = true;
            inDirective = false;
            space = true;
            ++i;
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(c))) {
            space = true;
            ++i;
            continue;
        }
        if (text.substr(i, 2) == "//") {
            while (i < text.size() && text[i] != '\n') ++i;
            continue;
        }
        if (text.substr(i, 2) == "/*") {
            const size_t end = text.find("*/", i + 2);
            i = end == std::string_view::npos ? text.size() : end + 2;
            space = true;
            continue;
        }

        size_t length = 1;
        TokenKind kind = TokenKind::Punctuator;
        if (identifierStart(c)) {
            kind = TokenKind::Identifier;
            while (i + length < text.size() && identifierChar(text[i + length])) ++length;
        } else if (digit(c) || (c == '.' && i + 1 < text.size() && digit(text[i + 1]))) {
            kind = TokenKind::Number;
            while (i + length < text.size()) {
                const char d = text[i + length];
                const bool exponentSign = (d == '+' || d == '-') && (text[i + length - 1] == 'e' || text[i + length - 1] == 'E');
                if (!identifierChar(d) && d != '.' && !exponentSign) break;
                ++length;
            }
        } else if (c == '"' || c == '\'') {
            kind = TokenKind::Literal;
            while (i + length < text.size() && text[i + length] != c && text[i + length] != '\n')
                length += text[i + length] == '\\' && i + length + 1 < text.size() ? 2 : 1;
            if (i + length < text.size() && text[i + length] == c) ++length;
        } else {
            length = punctuatorLength(text.substr(i));
        }
        if (lineStart && kind == TokenKind::Punctuator && c == '#') inDirective = true;
        out.tokens.push_back({kind, text.substr(i, length), lineStart, inDirective, space});
        lineStart = false;
        space = false;
        i += length;
    }
    return out;
}

}  // namespace korvel::gpu::hlsl
