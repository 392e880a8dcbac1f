// Line splitting and number scanning: the reader's two text primitives,
// checked against the C library they imitate.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "model/text_scan.h"
#include "support/models.h"

namespace korvel::model {
namespace {

std::vector<std::string> allLines(const std::string& text) {
    MemoryText source(text);
    LineReader reader(source);
    std::vector<std::string> lines;
    while (reader.next()) lines.emplace_back(reader.line());
    return lines;
}

// C fgets with a 512-byte buffer on the text with "\r\n" made "\n", as a
// text-mode stream delivers it, each line without its '\n'.
std::vector<std::string> fgetsLines(const std::string& text) {
    std::string translated;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) translated += text[i];
    std::vector<std::string> lines;
    if (translated.empty()) return lines;
    std::FILE* file = fmemopen(translated.data(), translated.size(), "r");
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, file) != nullptr) {
        lines.emplace_back(buffer);
        if (lines.back().ends_with('\n')) lines.back().pop_back();
    }
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

// A later pass may start at a line an earlier one read: seeking to where it
// starts reads on as the first pass did, also lines windows away from the
// start and lines of a split overlong line.
TEST(LineReaderTest, SeekToALineReadsOnFromIt) {
    std::string text;
    for (int i = 0; text.size() < (size_t{3} << 20); ++i)
        text += std::to_string(i) + std::string(i % 97 == 0 ? 1100 : i % 13, 'x') + (i % 3 == 0 ? "\r\n" : "\n");
    MemoryText source(text);
    LineReader reader(source);
    std::vector<std::pair<uint64_t, std::string>> lines;
    while (reader.next()) lines.emplace_back(reader.lineOffset(), reader.line());
    std::vector<size_t> firsts;
    for (size_t first = 0; first < lines.size(); first += lines.size() / 7 + 1) firsts.push_back(first);
    const auto piece = std::find_if(lines.begin(), lines.end(), [](const auto& line) { return line.second[0] == 'x'; });
    firsts.push_back(static_cast<size_t>(piece - lines.begin()));  // the rest of a split line
    for (const size_t first : firsts) {
        ASSERT_LT(first, lines.size());
        ASSERT_TRUE(reader.seek(lines[first].first));
        for (size_t i = first; i < std::min(first + 200, lines.size()); ++i) {
            ASSERT_TRUE(reader.next());
            ASSERT_EQ(reader.line(), lines[i].second) << i;
        }
    }
}

// A search passes over lines without splitting them: every line holding the
// text is still read, at the offset and with the content a plain read gives,
// also across windows, in the pieces of overlong lines and after "\r\n".
TEST(LineReaderTest, PassingLinesWithoutATextMissesNoLineThatHoldsIt) {
    std::mt19937 rng(5);
    for (int round = 0; round < 76; ++round) {
        std::string text;
        if (round >= 12) {
            // Alone in its window and across its end: the reader's window holds 256 KiB.
            while (text.size() < (size_t{1} << 18) - 80 + (round - 12)) text += std::string(40, 'a') + "\n";
            text.resize((size_t{1} << 18) - 80 + (round - 12));
            text += "\n" + std::string(60, 'b') + "Key" + std::string(30, 'c') + "\r\n";
        }
        const size_t size = round < 4 ? rng() % 3000 : text.size() + (size_t{1} << 19) + rng() % 300000;
        // One line in `density` holds the text: many in a window, or windows without it.
        const int density = 1 + static_cast<int>(rng() % (round % 2 == 0 ? 400 : 30000));
        while (text.size() < size) {
            // Mostly short lines; some split in pieces, some longer than a window.
            const unsigned kind = rng() % 1000;
            const size_t length = kind < 2 ? 2000 + rng() % 400000 : kind < 20 ? 500 + rng() % 600 : rng() % 60;
            std::string line(length, " ab"[rng() % 3]);
            for (size_t k = 0; k <= length / 50000; ++k)
                if (round % 4 != 3 && static_cast<int>(rng() % density) == 0) line.insert(rng() % (length + 1), "Key");
            const char* const ends[] = {"\n", "\r\n", "\r", ""};
            text += line + ends[rng() % 4];
        }
        MemoryText source(text);
        LineReader plain(source);
        std::map<uint64_t, std::string> lines;
        std::vector<uint64_t> holding;
        while (plain.next()) {
            lines[plain.lineOffset()] = plain.line();
            if (std::strstr(plain.line(), "Key") != nullptr) holding.push_back(plain.lineOffset());
        }
        MemoryText again(text);
        LineReader searching(again);
        std::vector<uint64_t> found;
        for (;;) {
            searching.passLinesWithout("Key");
            if (!searching.next()) break;
            ASSERT_EQ(lines.at(searching.lineOffset()), searching.line()) << round;
            if (std::strstr(searching.line(), "Key") != nullptr) found.push_back(searching.lineOffset());
        }
        ASSERT_EQ(found, holding) << round;
    }
}

// Every pass of a reader must see the same text: a file reads the same bytes
// again after a rewind, and fails once its size has changed.
TEST(FileTextTest, RewindReadsTheSameBytesOrFails) {
    const std::string path = testing::tempPath("rewind.txt");
    testing::writeFile(path, "0123456789");
    FileText file;
    ASSERT_EQ(file.open(path, 100), platform::FileRead::ok);
    char bytes[16] = {};
    for (int pass = 0; pass < 2; ++pass) {
        ASSERT_EQ(file.read(bytes, sizeof bytes), 10u);
        EXPECT_EQ(std::string(bytes, 10), "0123456789");
        EXPECT_EQ(file.read(bytes, sizeof bytes), 0u);
        EXPECT_TRUE(file.rewind());
    }
    testing::writeFile(path, "01234");
    EXPECT_FALSE(file.rewind());
    EXPECT_EQ(file.read(bytes, sizeof bytes), 0u);
    EXPECT_TRUE(file.failed());
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
