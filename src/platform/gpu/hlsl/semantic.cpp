#include "platform/gpu/hlsl/semantic.h"

#include <cctype>
#include <map>
#include <mutex>
#include <utility>

namespace korvel::gpu::hlsl {

namespace {
// Four-component locations between stages on current GL 4.5 drivers (128
// output components); a driver with fewer reports the overflow at link time.
constexpr uint32_t kMaxVaryingLocations = 32;
}  // namespace

std::string upperSemanticName(std::string_view name) {
    std::string upper(name);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

Semantic parseSemantic(std::string_view text) {
    size_t digits = text.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(text[digits - 1]))) --digits;
    Semantic semantic{upperSemanticName(text.substr(0, digits)), 0};
    for (size_t i = digits; i < text.size(); ++i) semantic.index = semantic.index * 10 + uint32_t(text[i] - '0');
    return semantic;
}

bool varyingLocation(const Semantic& semantic, uint32_t count, uint32_t& location) {
    static std::mutex mutex;
    static std::map<std::pair<std::string, uint32_t>, std::pair<uint32_t, uint32_t>> assigned;  // -> first, count
    static uint32_t next = 0;
    std::lock_guard lock(mutex);
    auto key = std::make_pair(semantic.name, semantic.index);
    auto found = assigned.find(key);
    if (found != assigned.end() && found->second.second >= count) {
        location = found->second.first;
        return true;
    }
    if (next + count > kMaxVaryingLocations) return false;
    location = next;
    next += count;
    assigned[key] = {location, count};
    return true;
}

}  // namespace korvel::gpu::hlsl
