// The sampling tick's digit scan: "([.])\d{8}" over the six readings as the tick prints them
// (NumberToString of each, then a space and a line feed), with the pattern already cached.
#include <benchmark/benchmark.h>

#include "runtime/core/RtCommon.h"
#include "runtime/core/RuntimeScope.h"
#include "runtime/core/Value.h"
#include "runtime/lib/RtRegex.h"
#include "runtime/lib/StandardServices.h"

namespace {

using namespace zemtra;

// The benchmarks' runtime: one scope with the library's services for the whole program.
struct BenchRuntime {
    BenchRuntime() { registerStandardServices(scope); }
    RuntimeScope scope;
} benchRuntime;

const String kPattern = u"([.])\\d{8}";

// Magnetometer x, y, z (microtesla) and user acceleration x, y, z (g), already absolute.
String tickText() {
    String text;
    for (double reading : {31.72548190375612, 12.0913847561923, 45.83920174635281,
                           0.01837462519384756, 0.2938475610293847, 0.004918273645182736}) {
        text += numberToString(Number::ofDouble(reading)) + u" \n";
    }
    return text;
}

// Matcher:: then Find / Match until Find answers false, as the tick handler does.
void ScanTickText(benchmark::State& state) {
    const auto regex = RtCommon::New()->service<RtRegex>();
    const String text = tickText();
    regex->Matcher(kPattern, text);  // warm the cache
    for (auto _ : state) {
        const auto matcher = regex->Matcher(kPattern, text);
        while (matcher->Find()) benchmark::DoNotOptimize(matcher->Match());
    }
    state.counters["chars"] = static_cast<double>(text.size());
}
BENCHMARK(ScanTickText);

// The same with the text built inside the loop, as each tick builds it anew.
void BuildAndScanTickText(benchmark::State& state) {
    const auto regex = RtCommon::New()->service<RtRegex>();
    regex->Matcher(kPattern, tickText());
    for (auto _ : state) {
        const auto matcher = regex->Matcher(kPattern, tickText());
        while (matcher->Find()) benchmark::DoNotOptimize(matcher->Match());
    }
}
BENCHMARK(BuildAndScanTickText);

}  // namespace

BENCHMARK_MAIN();
