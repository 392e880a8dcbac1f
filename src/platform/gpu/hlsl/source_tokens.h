// A preprocessing-token view of HLSL source, for the checks that bound what
// reaches the compiler. It follows the C preprocessor's rules closely enough
// for counting: comments are whitespace, a backslash before a line end joins
// two lines, and a line whose first token is '#' is a directive.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvel::gpu::hlsl {

enum class TokenKind : unsigned char { Identifier, Number, Literal, Punctuator };

struct Token {
    TokenKind kind;
    std::string_view text;  // a view into TokenizedSource::text
    bool startsLine;        // first token of its (joined) line
    bool directive;         // part of a directive line, '#' included
    bool spaceBefore;       // whitespace or a comment separates it from the previous token
};

struct TokenizedSource {
    std::string text;  // the source with its backslash line joins removed
    std::vector<Token> tokens;
};

// Every token of the source, in order. Linear in the source's length.
TokenizedSource tokenize(std::string_view source);

inline bool isPunctuator(const Token& token, std::string_view text) {
    return token.kind == TokenKind::Punctuator && token.text == text;
}

}  // namespace korvel::gpu::hlsl
