// Formatted scanning of X file lines with the rules of C sscanf in the "C"
// locale, whatever the process locale is: a blank in the format matches any
// amount of white space, including none; %d and %f skip white space first,
// %c takes the next character as it is; any other format character must
// match exactly. A scan stops for good at the first mismatch, so targets
// after it keep their values.
//
// Formats are fixed when the importer is compiled: each is taken apart into
// its directives then, so a scan runs as straight code with no format to
// interpret per line, and a target of the wrong type or number does not
// compile.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

#include "model/text_scan.h"

namespace korvel::model::xfile {

template <size_t N>
struct ScanFormat {
    consteval ScanFormat(const char (&format)[N]) {
        for (size_t i = 0; i < N; ++i) text[i] = format[i];
    }
    static constexpr size_t kLength = N - 1;
    char text[N] = {};
};

namespace scan_steps {

// What each character of a format is: a blank, a literal, the '%' of a
// conversion or that conversion's letter.
enum class Step : uint8_t { blank, literal, conversion, letter };

template <ScanFormat F>
consteval std::array<Step, F.kLength> steps() {
    std::array<Step, F.kLength> out{};
    for (size_t f = 0; f < F.kLength; ++f) {
        const char c = F.text[f];
        if (scan::isSpace(c)) {
            out[f] = Step::blank;
        } else if (c == '%' && f + 1 < F.kLength) {
            out[f] = Step::conversion;
            out[++f] = Step::letter;
        } else {
            out[f] = Step::literal;
        }
    }
    return out;
}

template <ScanFormat F>
consteval size_t conversionsBefore(size_t end) {
    size_t n = 0;
    for (size_t f = 0; f < end; ++f) n += steps<F>()[f] == Step::conversion ? 1 : 0;
    return n;
}

template <ScanFormat F, size_t I, class Targets>
inline void step(const char*& p, Targets& targets, int& converted, bool& ok) {
    constexpr Step kind = steps<F>()[I];
    if constexpr (kind == Step::letter) {
        return;
    } else if constexpr (kind == Step::blank) {
        if (ok)
            while (scan::isSpace(*p)) ++p;
    } else if constexpr (kind == Step::literal) {
        if (ok) {
            ok = *p == F.text[I];
            p += ok ? 1 : 0;
        }
    } else {
        constexpr char letter = F.text[I + 1];
        auto* out = std::get<conversionsBefore<F>(I)>(targets);
        using Target = std::remove_pointer_t<decltype(out)>;
        if (!ok) return;
        if constexpr (letter == 'c') {
            static_assert(std::is_same_v<Target, char>, "%c stores a char");
            ok = *p != '\0';
            if (ok) *out = *p++;
        } else {
            static_assert(
                (letter == 'd' && std::is_same_v<Target, int32_t>) || (letter == 'f' && std::is_same_v<Target, float>),
                "%d stores an int32_t, %f a float");
            while (scan::isSpace(*p)) ++p;
            const char* end = nullptr;
            if constexpr (letter == 'd')
                end = scan::integer(p, *out);
            else
                end = scan::real(p, *out);
            ok = end != nullptr;
            if (ok) p = end;
        }
        converted += ok ? 1 : 0;
    }
}

}  // namespace scan_steps

// Scans line with format F, storing conversions into targets in order;
// returns how many conversions were stored.
template <ScanFormat F, class... T>
int scanLine(const char* line, T*... targets) {
    static_assert(scan_steps::conversionsBefore<F>(F.kLength) == sizeof...(T), "one target per conversion");
    std::tuple<T*...> outputs{targets...};
    const char* p = line;
    int converted = 0;
    bool ok = true;
    [&]<size_t... I>(std::index_sequence<I...>) { (scan_steps::step<F, I>(p, outputs, converted, ok), ...); }
    (std::make_index_sequence<F.kLength>{});
    return converted;
}

// The format's longest run of literal characters: text that every line the
// format matches holds as it is, which lets a search pass over the lines
// that lack it.
template <ScanFormat F>
consteval std::pair<size_t, size_t> longestLiteralRun() {
    size_t bestStart = 0, bestLength = 0;
    for (size_t f = 0; f < F.kLength;) {
        if (scan_steps::steps<F>()[f] != scan_steps::Step::literal) {
            ++f;
            continue;
        }
        const size_t start = f;
        while (f < F.kLength && scan_steps::steps<F>()[f] == scan_steps::Step::literal) ++f;
        if (f - start > bestLength) {
            bestStart = start;
            bestLength = f - start;
        }
    }
    return {bestStart, bestLength};
}

template <ScanFormat F>
constexpr std::string_view requiredText() {
    constexpr auto run = longestLiteralRun<F>();
    return std::string_view(F.text + run.first, run.second);
}

// Whether a format that ends in "%c" converts that final %c on the line:
// the test for the block and key patterns of the X layout.
template <ScanFormat F>
bool matchesPattern(const char* line) {
    char last = '\0';
    return scanLine<F>(line, &last) == 1;
}

}  // namespace korvel::model::xfile
