// The array accesses that every timer tick makes (getObjectFast: on the word array,
// getObjectFastN: / setObjectFastN: on number arrays), against a plain vector read, plus the
// canonical string comparison that sorting uses.
#include <vector>

#include <benchmark/benchmark.h>

#include "runtime/core/RuntimeScope.h"
#include "runtime/lib/RtArray.h"
#include "runtime/lib/RtList.h"
#include "runtime/lib/RtString.h"
#include "runtime/lib/StandardServices.h"

namespace {

using namespace zemtra;

// The benchmarks' runtime: one scope with the library's services for the whole program.
struct BenchRuntime {
    BenchRuntime() { registerStandardServices(scope); }
    RuntimeScope scope;
} benchRuntime;

std::shared_ptr<RtArray> wordArray() {
    auto words = std::make_shared<RtArray>();
    words->initObjects({2075}, Value(u""), u"String");
    for (int32_t i = 0; i < 2075; ++i) words->setObjectFast(i, Value(u"word" + decimal(i)));
    return words;
}

void GetObjectFastWord(benchmark::State& state) {
    const auto words = wordArray();
    int32_t index = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(words->getObjectFast(index));
        index = index == 2074 ? 0 : index + 1;
    }
}
BENCHMARK(GetObjectFastWord);

void GetObjectFastLongText(benchmark::State& state) {
    auto texts = std::make_shared<RtArray>();
    texts->initObjects({64}, Value(u"a text long enough to live on the heap"), u"String");
    int32_t index = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(texts->getObjectFast(index));
        index = (index + 1) & 63;
    }
}
BENCHMARK(GetObjectFastLongText);

void GetObjectFastNNumber(benchmark::State& state) {
    auto numbers = std::make_shared<RtArray>();
    numbers->initObjects({1100}, Value::ofInt(0), u"Int");
    int32_t index = 0;
    int64_t sum = 0;
    for (auto _ : state) {
        sum += numbers->getObjectFastN(index).number()->toInt();
        index = index == 1099 ? 0 : index + 1;
    }
    benchmark::DoNotOptimize(sum);
}
BENCHMARK(GetObjectFastNNumber);

void SetObjectFastNNumber(benchmark::State& state) {
    auto numbers = std::make_shared<RtArray>();
    numbers->initObjects({1100}, Value::ofInt(0), u"Int");
    int32_t index = 0;
    for (auto _ : state) {
        numbers->setObjectFastN(index, Value::ofInt(index));
        index = index == 1099 ? 0 : index + 1;
    }
    benchmark::DoNotOptimize(numbers->getObjectFastN(0));
}
BENCHMARK(SetObjectFastNNumber);

void PlainVectorRead(benchmark::State& state) {
    const std::vector<Value> words = wordArray()->objectsData()->items;
    size_t index = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Value(words[index]));
        index = index == 2074 ? 0 : index + 1;
    }
}
BENCHMARK(PlainVectorRead);

void CompareToCanonical(benchmark::State& state) {
    const String a = u"caf\u00e9 au lait";
    const String b = u"cafe\u0301 au lait";
    for (auto _ : state) benchmark::DoNotOptimize(strings::CompareTo(a, b));
}
BENCHMARK(CompareToCanonical);

void SortWordList(benchmark::State& state) {
    const auto words = wordArray();
    for (auto _ : state) {
        state.PauseTiming();
        const auto list = RtList::of(words->objectsData()->items);
        state.ResumeTiming();
        list->Sort(true);
    }
}
BENCHMARK(SortWordList)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
