#include "platform/gpu/hlsl/source_limits.h"

#include <algorithm>
#include <cctype>
#include <span>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace korvel::gpu::hlsl {

// ---------------------------------------------------------------- tokens

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
    static constexpr std::string_view kLong[] = {
        "<<=", ">>=", "...", "##", "<<", ">>", "<=", ">=", "==", "!=", "&&", "||",
        "++",  "--",  "+=",  "-=", "*=", "/=", "%=", "&=", "|=", "^=", "->", "::"};
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
                const bool exponentSign =
                    (d == '+' || d == '-') && (text[i + length - 1] == 'e' || text[i + length - 1] == 'E');
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

// ---------------------------------------------------------------- limits

namespace {

class Failure {
public:
    Failure(std::string_view sourceName, std::string& errors) : sourceName_(sourceName), errors_(errors) {}
    bool operator()(const std::string& message) const {
        errors_ += std::string(sourceName_) + ": " + message + "\n";
        return false;
    }

private:
    std::string_view sourceName_;
    std::string& errors_;
};

bool isControlKeyword(std::string_view word) {
    return word == "if" || word == "else" || word == "for" || word == "while" || word == "do" || word == "switch";
}

// Nesting of brackets in tokens outside directives; with expressions also
// the operators per expression and the control statements per function.
bool checkShape(std::span<const Token> tokens, bool expressions, const Failure& fail) {
    std::vector<char> open;
    int braces = 0;
    int operators = 0;
    int control = 0;
    for (const Token& token : tokens) {
        if (token.directive) continue;
        if (token.kind == TokenKind::Identifier && isControlKeyword(token.text) && ++control > kMaxControlStatements &&
            expressions)
            return fail("a function holds more than " + std::to_string(kMaxControlStatements) +
                        " if, else, for, while, do and switch statements");
        if (token.kind != TokenKind::Punctuator) continue;
        const char c = token.text.size() == 1 ? token.text[0] : '\0';
        if (c == '(' || c == '[' || c == '{') {
            open.push_back(c);
            if (open.size() > static_cast<size_t>(kMaxNesting))
                return fail("brackets nest deeper than " + std::to_string(kMaxNesting) + " levels");
            if (c == '{') ++braces;
        } else if ((c == ')' || c == ']' || c == '}') && !open.empty()) {
            if (open.back() == '{') --braces;
            open.pop_back();
        }
        if (c == ';' || c == '{' || c == '}') {
            operators = 0;
            if (braces == 0) control = 0;
        } else if (c != ')' && c != ']' && (c != ',' || (!open.empty() && open.back() != '{'))) {
            if (++operators > kMaxOperators && expressions)
                return fail("an expression holds more than " + std::to_string(kMaxOperators) + " operators");
        }
    }
    return true;
}

struct Macro {
    std::string_view name;
    std::unordered_set<std::string_view> parameters;
    std::span<const Token> body;
};

// The #define lines, each checked on its own: no ## pasting, each
// parameter at most once, bracket nesting within the limit.
bool collectMacros(std::span<const Token> tokens, std::vector<Macro>& macros, const Failure& fail) {
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (!tokens[i].startsLine || !tokens[i].directive) continue;
        size_t end = i + 1;
        while (end < tokens.size() && tokens[end].directive && !tokens[end].startsLine) ++end;
        const std::span<const Token> line = tokens.subspan(i, end - i);
        if (line.size() < 3 || line[1].text != "define" || line[2].kind != TokenKind::Identifier) continue;
        Macro macro{line[2].text, {}, line.subspan(3)};
        if (line.size() > 3 && isPunctuator(line[3], "(") && !line[3].spaceBefore) {
            size_t k = 4;
            for (; k < line.size() && !isPunctuator(line[k], ")"); ++k) {
                if (line[k].kind == TokenKind::Identifier) macro.parameters.insert(line[k].text);
                if (isPunctuator(line[k], "...")) macro.parameters.insert("__VA_ARGS__");
            }
            macro.body = line.subspan(std::min(k + 1, line.size()));
        }
        const std::string name(macro.name);
        int depth = 0;
        std::unordered_set<std::string_view> used;
        for (const Token& token : macro.body) {
            if (isPunctuator(token, "##")) return fail("macro " + name + " pastes tokens with ##");
            if (macro.parameters.count(token.text) > 0 && !used.insert(token.text).second)
                return fail("macro " + name + " uses its parameter " + std::string(token.text) +
                            " more than once (write a function instead)");
            if (isPunctuator(token, "(") || isPunctuator(token, "[") || isPunctuator(token, "{")) ++depth;
            if (isPunctuator(token, ")") || isPunctuator(token, "]") || isPunctuator(token, "}")) --depth;
            if (depth > kMaxNesting)
                return fail("brackets in macro " + name + " nest deeper than " + std::to_string(kMaxNesting) +
                            " levels");
        }
        macros.push_back(std::move(macro));
        i = end - 1;
    }
    return true;
}

// An upper bound of each macro's expansion in bytes, over all definitions of
// its name; arguments are counted where they are written.
class ExpansionBound {
public:
    ExpansionBound(const std::vector<Macro>& macros, const Failure& fail) : fail_(fail) {
        for (const Macro& macro : macros) byName_[macro.name].definitions.push_back(&macro);
    }

    bool isMacro(std::string_view word) const { return byName_.count(word) > 0; }

    // Bytes the name may expand to; false (with the reason) when the
    // macros reach themselves or chain too deep.
    bool bytes(std::string_view name, size_t& out) { return visit(name, 1, out); }

private:
    struct Entry {
        std::vector<const Macro*> definitions;
        enum { Unseen, Visiting, Done } state = Unseen;
        size_t bytes = 0;
        int chain = 0;
    };

    static size_t add(size_t a, size_t b) { return std::min(a + b, kMaxExpansionBytes + 1); }

    bool visit(std::string_view name, int depth, size_t& out) {
        Entry& entry = byName_.find(name)->second;
        if (entry.state == Entry::Done) {
            out = entry.bytes;
            return true;
        }
        if (entry.state == Entry::Visiting) return fail_("macro " + std::string(name) + " expands to itself");
        if (depth > kMaxMacroChain) return chainTooDeep(name);
        entry.state = Entry::Visiting;
        size_t most = name.size() + 1;  // a function-like name without arguments stays itself
        int chain = 1;
        for (const Macro* macro : entry.definitions) {
            size_t total = 0;
            for (const Token& token : macro->body) {
                size_t bytes = token.text.size() + 1;
                const bool nested = token.kind == TokenKind::Identifier && token.text != name &&
                                    macro->parameters.count(token.text) == 0 && isMacro(token.text);
                if (nested) {
                    if (!visit(token.text, depth + 1, bytes)) return false;
                    chain = std::max(chain, byName_.find(token.text)->second.chain + 1);
                }
                total = add(total, bytes);
            }
            most = std::max(most, total);
        }
        if (chain > kMaxMacroChain) return chainTooDeep(name);
        entry.state = Entry::Done;
        entry.bytes = most;
        entry.chain = chain;
        out = most;
        return true;
    }

    bool chainTooDeep(std::string_view name) const {
        return fail_("macros reach other macros more than " + std::to_string(kMaxMacroChain) + " deep (through " +
                     std::string(name) + ")");
    }

    std::unordered_map<std::string_view, Entry> byName_;
    const Failure& fail_;
};

}  // namespace

bool checkSource(std::string_view source, std::string_view sourceName, std::string& errors) {
    const Failure fail(sourceName, errors);
    if (source.size() > kMaxSourceBytes)
        return fail("the source holds " + std::to_string(source.size()) + " bytes; at most " +
                    std::to_string(kMaxSourceBytes) + " are accepted");
    const TokenizedSource tokenized = tokenize(source);
    if (!checkShape(tokenized.tokens, false, fail)) return false;
    std::vector<Macro> macros;
    if (!collectMacros(tokenized.tokens, macros, fail)) return false;

    ExpansionBound bound(macros, fail);
    size_t total = 0;
    for (const Token& token : tokenized.tokens) {
        if (token.directive) continue;
        size_t bytes = token.text.size() + 1;
        if (token.kind == TokenKind::Identifier && bound.isMacro(token.text) && !bound.bytes(token.text, bytes))
            return false;
        total += bytes;
        if (total > kMaxExpansionBytes)
            return fail("macro expansion could exceed " + std::to_string(kMaxExpansionBytes) + " bytes");
    }
    return true;
}

bool checkPreprocessed(std::string_view text, std::string_view sourceName, std::string& errors) {
    const Failure fail(sourceName, errors);
    if (text.size() > kMaxPreprocessedBytes)
        return fail("the preprocessed source holds " + std::to_string(text.size()) + " bytes; at most " +
                    std::to_string(kMaxPreprocessedBytes) + " are accepted");
    return checkShape(tokenize(text).tokens, true, fail);
}

}  // namespace korvel::gpu::hlsl
