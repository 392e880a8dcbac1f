// What the translator keeps for the life of the process: the compiled
// results, and the location of each inter-stage semantic.
#include <cctype>
#include <functional>
#include <list>
#include <map>
#include <mutex>
#include <tuple>
#include <utility>

#include "platform/gpu/hlsl/hlsl_compiler.h"

namespace korvel::gpu::hlsl {

// The in-memory cache behind hlsl::compile. Sources are kept once each (the
// effect file is compiled once per entry point) and compared in full, so a
// hash collision can never return another shader.

namespace {

struct Cache {
    std::mutex mutex;
    std::list<std::string> sources;  // stable addresses
    std::multimap<size_t, const std::string*> sourcesByHash;
    std::map<std::tuple<const std::string*, std::string, std::string>, std::shared_ptr<const TranslatedShader>> results;

    const std::string& intern(std::string_view source) {
        size_t hash = std::hash<std::string_view>{}(source);
        auto [first, last] = sourcesByHash.equal_range(hash);
        for (auto it = first; it != last; ++it)
            if (*it->second == source) return *it->second;
        const std::string& stored = sources.emplace_back(source);
        sourcesByHash.emplace(hash, &stored);
        return stored;
    }
};

Cache& cache() {
    static Cache instance;
    return instance;
}

}  // namespace

std::shared_ptr<const TranslatedShader> compile(std::string_view source, std::string_view sourceName,
                                                const char* entryPoint, const char* profile, std::string& errors) {
    if (!entryPoint || !profile) return translate(source, sourceName, entryPoint, profile, errors);
    Cache& c = cache();
    std::unique_lock lock(c.mutex);
    auto key = std::make_tuple(&c.intern(source), std::string(entryPoint), std::string(profile));
    if (auto found = c.results.find(key); found != c.results.end()) return found->second;
    lock.unlock();
    auto result = translate(source, sourceName, entryPoint, profile, errors);
    if (result) {
        lock.lock();
        c.results.emplace(std::move(key), result);
    }
    return result;
}

void clearCompileCache() {
    Cache& c = cache();
    std::lock_guard lock(c.mutex);
    c.results.clear();
    c.sourcesByHash.clear();
    c.sources.clear();
}

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
