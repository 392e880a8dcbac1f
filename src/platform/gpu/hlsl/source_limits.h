// Bounds on the HLSL source that reaches the compiler. The compiler's front
// end recurses once per level of nesting and per operator of an expression,
// and its preprocessor expands macros without limit, so a small file could
// otherwise overflow any stack or exhaust memory. Every source is checked
// twice: as written (size and macros, so that preprocessing is bounded) and
// after preprocessing (size and the shape of its expressions), and the
// compiler then runs on a thread whose stack holds anything these limits
// admit.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::gpu::hlsl {

// A source as written, comments included.
inline constexpr size_t kMaxSourceBytes = 256 * 1024;
// Upper bound of the source after macro expansion, from the macro
// definitions alone (all branches of conditionals counted).
inline constexpr size_t kMaxExpansionBytes = 1024 * 1024;
// The preprocessed source, comments removed.
inline constexpr size_t kMaxPreprocessedBytes = 128 * 1024;
// Brackets ( [ { open at once.
inline constexpr int kMaxNesting = 64;
// Operators between two of ; { } (a comma counts inside brackets only).
inline constexpr int kMaxOperators = 256;
// if, else, for, while, do and switch within one function body.
inline constexpr int kMaxControlStatements = 256;
// Macros reaching macros that reach macros...
inline constexpr int kMaxMacroChain = 16;

// The checks before preprocessing: size, bracket nesting, and the macro
// rules (no ## pasting, each parameter used at most once in its macro, no
// macro that reaches itself, chains of at most kMaxMacroChain, an expansion
// of at most kMaxExpansionBytes). On failure appends the reason to errors.
bool checkSource(std::string_view source, std::string_view sourceName, std::string& errors);

// The checks after preprocessing: size, nesting, operators per expression
// and control statements per function.
bool checkPreprocessed(std::string_view text, std::string_view sourceName, std::string& errors);

// A preprocessing-token view of HLSL source, for the checks that bound what
// reaches the compiler. It follows the C preprocessor's rules closely enough
// for counting: comments are whitespace, a backslash before a line end joins
// two lines, and a line whose first token is '#' is a directive.
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
