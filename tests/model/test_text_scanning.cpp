// Line splitting and number scanning: the reader's two text primitives,
// checked against the C library they imitate.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "model/text_scan.h"

namespace korvel::model {
namespace {

std::vector<std::string> allLines(const std::string& text) {
    LineReader reader(text);
    std::vector<std::string> lines;
    while (reader.next()) lines.emplace_back(reader.line());
    return lines;
}

// C fgets with a 512-byte buffer on the text with "\r\n" made "\n", as a
// text-mode stream delivers it.
std::vector<std::string> fgetsLines(const std::string& text) {
    std::string translated;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) translated += text[i];
    std::vector<std::string> lines;
    if (translated.empty()) return lines;
    std::FILE* file = fmemopen(translated.data(), translated.size(), "r");
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, file) != nullptr) lines.emplace_back(buffer);
    std::fclose(file);
    return lines;
}

TEST(LineReaderTest, AgreesWithFgetsOnRandomText) {
    std::mt19937 rng(3);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int pieces = static_cast<int>(rng() % 6);
        for (int i = 0; i < pieces; ++i) {
            text += std::string(rng() % 3 == 0 ? 505 + rng() % 12 : rng() % 40, 'a' + static_cast<char>(rng() % 3));
            const char* const ends[] = {"\n", "\r\n", "\r", "\r\r\n", ""};
            text += ends[rng() % 5];
        }
        ASSERT_EQ(allLines(text), fgetsLines(text)) << round;
    }
}

// Random fields built from number-like pieces (integers past int32 among
// them), scanned both ways.
std::string randomField(std::mt19937& rng) {
    static const char* const pieces[] = {"0",   "1",   "7",   "42",  "-",  "+",  ".",          "e",    "E",
                                         "-3",  "x",   "X",   "0x",  "p",  "P",  "inf",        "INF",  "inity",
                                         "nan", "NaN", "(1)", " ",   "\t", "\n", "9999999999", "1e40", "1e-50",
                                         ";",   "a",   "f",   "2.5", "00", "5e", "0.",         ".5"};
    std::string field;
    const int n = 1 + static_cast<int>(rng() % 4);
    for (int i = 0; i < n; ++i) field += pieces[rng() % (sizeof pieces / sizeof *pieces)];
    return field + ";";
}

bool sameFloat(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b)); }

TEST(CScanTest, AgreesWithSscanfOnRandomFields) {
    ASSERT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    std::mt19937 rng(20261206);
    for (int round = 0; round < 50000; ++round) {
        const std::string text = randomField(rng) + randomField(rng) + randomField(rng);
        float f1 = -7, f2 = -7;
        int d = -7, consumed = -1;
        const int expected = std::sscanf(text.c_str(), "%f;%d;%f;%n", &f1, &d, &f2, &consumed);
        float g1 = -7, g2 = -7;
        int32_t e = -7;
        CScan scan(text.c_str());
        scan.realField(g1).intField(e).realField(g2);
        SCOPED_TRACE(text);
        ASSERT_EQ(scan.converted(), std::max(expected, 0));
        ASSERT_TRUE(sameFloat(f1, g1));
        ASSERT_EQ(d, e);
        ASSERT_TRUE(sameFloat(f2, g2));
        if (consumed >= 0) {
            ASSERT_TRUE(scan.ok());
            ASSERT_EQ(scan.rest() - text.c_str(), consumed);
        }
    }
}

// Printed floats and the exact midpoints between neighbours, in several
// formats: the short-decimal conversion must round exactly as strtof does.
TEST(CScanTest, RealsRoundLikeStrtofAtFloatsAndHalfwayBetweenThem) {
    std::mt19937 rng(41);
    const char* const formats[] = {"%.6f", "%.9g", "%.8e", "%.17g", "%.16g", "%.15g", "%.12f", "%.1f"};
    for (int round = 0; round < 20000; ++round) {
        const uint32_t bits = rng();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        if (!std::isfinite(f)) continue;
        const double values[2] = {f, (static_cast<double>(f) + std::nextafter(f, INFINITY)) / 2};
        for (const double value : values) {
            for (const char* format : formats) {
                char text[400];
                std::snprintf(text, sizeof text, format, value);
                float scanned = 0;
                CScan(text).real(scanned);
                ASSERT_TRUE(sameFloat(scanned, std::strtof(text, nullptr))) << text;
            }
        }
    }
}

}  // namespace
}  // namespace korvel::model
