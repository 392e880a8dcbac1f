// The in-memory cache behind hlsl::compile. Sources are kept once each (the
// effect file is compiled once per entry point) and compared in full, so a
// hash collision can never return another shader.
#include <functional>
#include <list>
#include <map>
#include <mutex>
#include <tuple>

#include "platform/gpu/hlsl/hlsl_compiler.h"

namespace korvel::gpu::hlsl {

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

}  // namespace korvel::gpu::hlsl
