// The typed string and integer tables against std::unordered_map: insert,
// lookup and remove of N keys. String keys come in two sets: random
// identifiers of varied length, and numbered keys that share a prefix.
#include "benchkit/controls/Collections.h"

#include <benchmark/benchmark.h>
#if HAVE_FLAT_HASH_MAP
#include <absl/container/flat_hash_map.h>
#endif

#include <random>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr int kCount = 10000;

std::vector<std::u16string> RandomKeys() {
    std::mt19937 rng(7);
    std::vector<std::u16string> keys;
    while (keys.size() < kCount) {
        std::u16string k;
        const int len = 5 + rng() % 12;
        for (int i = 0; i < len; ++i)
            k += static_cast<char16_t>(u'a' + rng() % 26);
        keys.push_back(k);
    }
    return keys;
}

std::vector<std::u16string> NumberedKeys() {
    std::vector<std::u16string> keys;
    for (int i = 0; i < kCount; ++i) {
        const std::string s = "Item" + std::to_string(i * 7919 % 1000003);
        keys.emplace_back(s.begin(), s.end());
    }
    return keys;
}

const std::vector<std::u16string>& Keys(int set) {
    static const std::vector<std::u16string> random = RandomKeys(), numbered = NumberedKeys();
    return set == 0 ? random : numbered;
}

const std::u16string kValue = u"a value of moderate length";

// ---- String tables ----------------------------------------------------------

void BM_StringTable_Insert(benchmark::State& state) {
    const auto& keys = Keys(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        TStringHashTable table(true);
        for (const auto& k : keys)
            table.Add(k, kValue);
        benchmark::DoNotOptimize(table.GetCount());
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}

void BM_UnorderedMap_StringInsert(benchmark::State& state) {
    const auto& keys = Keys(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::unordered_map<std::u16string, std::u16string> map;
        for (const auto& k : keys)
            map[k] = kValue;
        benchmark::DoNotOptimize(map.size());
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}

void BM_StringTable_Lookup(benchmark::State& state) {
    const auto& keys = Keys(static_cast<int>(state.range(0)));
    TStringHashTable table(true);
    for (const auto& k : keys)
        table.Add(k, kValue);
    for (auto _ : state) {
        int found = 0;
        for (const auto& k : keys)
            found += table.ContainsKey(k);
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}

void BM_UnorderedMap_StringLookup(benchmark::State& state) {
    const auto& keys = Keys(static_cast<int>(state.range(0)));
    std::unordered_map<std::u16string, std::u16string> map;
    for (const auto& k : keys)
        map[k] = kValue;
    for (auto _ : state) {
        int found = 0;
        for (const auto& k : keys)
            found += map.count(k) != 0;
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}

void BM_StringTable_Remove(benchmark::State& state) {
    const auto& keys = Keys(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto table = std::make_unique<TStringHashTable>(true);
        for (const auto& k : keys)
            table->Add(k, kValue);
        state.ResumeTiming();
        for (const auto& k : keys)
            table->Remove(k);
        benchmark::DoNotOptimize(table->GetCount());
        state.PauseTiming();
        table.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}

void BM_UnorderedMap_StringRemove(benchmark::State& state) {
    const auto& keys = Keys(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto map = std::make_unique<std::unordered_map<std::u16string, std::u16string>>();
        for (const auto& k : keys)
            (*map)[k] = kValue;
        state.ResumeTiming();
        for (const auto& k : keys)
            map->erase(k);
        benchmark::DoNotOptimize(map->size());
        state.PauseTiming();
        map.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}

// ---- Integer tables -----------------------------------------------------------

std::vector<int32_t> IntKeys() {
    std::mt19937 rng(11);
    std::vector<int32_t> keys;
    for (int i = 0; i < kCount; ++i)
        keys.push_back(static_cast<int32_t>(rng()));
    return keys;
}

const std::vector<int32_t>& Ints() {
    static const std::vector<int32_t> keys = IntKeys();
    return keys;
}

TObject gValue;

void BM_IntegerTable_Insert(benchmark::State& state) {
    for (auto _ : state) {
        TIntegerObjHashTable table(okNone);
        for (int32_t k : Ints())
            table.Add(k, &gValue);
        benchmark::DoNotOptimize(table.GetCount());
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}

void BM_UnorderedMap_IntInsert(benchmark::State& state) {
    for (auto _ : state) {
        std::unordered_map<int32_t, TObject*> map;
        for (int32_t k : Ints())
            map[k] = &gValue;
        benchmark::DoNotOptimize(map.size());
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}

void BM_IntegerTable_Lookup(benchmark::State& state) {
    TIntegerObjHashTable table(okNone);
    for (int32_t k : Ints())
        table.Add(k, &gValue);
    for (auto _ : state) {
        int found = 0;
        for (int32_t k : Ints())
            found += table.ContainsKey(k);
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}

void BM_UnorderedMap_IntLookup(benchmark::State& state) {
    std::unordered_map<int32_t, TObject*> map;
    for (int32_t k : Ints())
        map[k] = &gValue;
    for (auto _ : state) {
        int found = 0;
        for (int32_t k : Ints())
            found += map.count(k) != 0;
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}

void BM_IntegerTable_Remove(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto table = std::make_unique<TIntegerObjHashTable>(okNone);
        for (int32_t k : Ints())
            table->Add(k, &gValue);
        state.ResumeTiming();
        for (int32_t k : Ints())
            table->Remove(k);
        benchmark::DoNotOptimize(table->GetCount());
        state.PauseTiming();
        table.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}

void BM_UnorderedMap_IntRemove(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto map = std::make_unique<std::unordered_map<int32_t, TObject*>>();
        for (int32_t k : Ints())
            (*map)[k] = &gValue;
        state.ResumeTiming();
        for (int32_t k : Ints())
            map->erase(k);
        benchmark::DoNotOptimize(map->size());
        state.PauseTiming();
        map.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}

#if HAVE_FLAT_HASH_MAP
void BM_FlatHashMap_IntInsert(benchmark::State& state) {
    for (auto _ : state) {
        absl::flat_hash_map<int32_t, TObject*> map;
        for (int32_t k : Ints())
            map[k] = &gValue;
        benchmark::DoNotOptimize(map.size());
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}

void BM_FlatHashMap_IntLookup(benchmark::State& state) {
    absl::flat_hash_map<int32_t, TObject*> map;
    for (int32_t k : Ints())
        map[k] = &gValue;
    for (auto _ : state) {
        int found = 0;
        for (int32_t k : Ints())
            found += map.contains(k);
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}

void BM_FlatHashMap_IntRemove(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto map = std::make_unique<absl::flat_hash_map<int32_t, TObject*>>();
        for (int32_t k : Ints())
            (*map)[k] = &gValue;
        state.ResumeTiming();
        for (int32_t k : Ints())
            map->erase(k);
        benchmark::DoNotOptimize(map->size());
        state.PauseTiming();
        map.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}

BENCHMARK(BM_FlatHashMap_IntInsert);
BENCHMARK(BM_FlatHashMap_IntLookup);
BENCHMARK(BM_FlatHashMap_IntRemove);
#endif

} // namespace

// Argument 0: random identifiers; 1: numbered keys sharing a prefix.
BENCHMARK(BM_StringTable_Insert)->Arg(0)->Arg(1);
BENCHMARK(BM_UnorderedMap_StringInsert)->Arg(0)->Arg(1);
BENCHMARK(BM_StringTable_Lookup)->Arg(0)->Arg(1);
BENCHMARK(BM_UnorderedMap_StringLookup)->Arg(0)->Arg(1);
BENCHMARK(BM_StringTable_Remove)->Arg(0)->Arg(1);
BENCHMARK(BM_UnorderedMap_StringRemove)->Arg(0)->Arg(1);
BENCHMARK(BM_IntegerTable_Insert);
BENCHMARK(BM_UnorderedMap_IntInsert);
BENCHMARK(BM_IntegerTable_Lookup);
BENCHMARK(BM_UnorderedMap_IntLookup);
BENCHMARK(BM_IntegerTable_Remove);
BENCHMARK(BM_UnorderedMap_IntRemove);

BENCHMARK_MAIN();
