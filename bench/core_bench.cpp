// Dispatch by name against a direct std::function call, and the cost of posting and running an
// empty task on the main queue.
#include <functional>

#include <benchmark/benchmark.h>

#include "runtime/core/MainQueue.h"
#include "runtime/core/Module.h"
#include "runtime/core/RuntimeScope.h"

namespace {

using namespace zemtra;

// The benchmarks' runtime scope, for the whole program.
RuntimeScope benchScope;

class BenchModule final : public RtStaticModule {
  public:
    const MethodTable* methods() const override {
        static const MethodTable table{
            MethodTable::sub("_slider2_valuechanged:", &BenchModule::_slider2_valuechanged),
            MethodTable::sub("_tmr1_tick", &BenchModule::_tmr1_tick),
            MethodTable::sub("_tr1_tick", &BenchModule::_tr1_tick),
            MethodTable::sub("_application_start:", &BenchModule::_application_start),
        };
        return &table;
    }
    void _slider2_valuechanged(int32_t value) { total += value; }
    void _tmr1_tick() {}
    void _tr1_tick() {}
    void _application_start(const Value&) {}
    int64_t total = 0;
};

void RaiseEventWithOneIntByName(benchmark::State& state) {
    const auto module = StaticModules::New<BenchModule>();
    const Value arguments[] = {Value::ofInt(3)};
    // Callers hold their event names (a timer its eventName, a view its prefix + suffix).
    const String event = u"slider2_valuechanged:";
    for (auto _ : state) {
        benchmark::DoNotOptimize(module->bi->raiseEvent(Value(), event, arguments));
    }
    benchmark::DoNotOptimize(module->total);
}
BENCHMARK(RaiseEventWithOneIntByName);

void DirectCallThroughStdFunction(benchmark::State& state) {
    const auto module = StaticModules::New<BenchModule>();
    std::function<void(int32_t)> handler = [&module](int32_t value) {
        module->_slider2_valuechanged(value);
    };
    benchmark::DoNotOptimize(handler);
    int32_t argument = 3;
    for (auto _ : state) {
        benchmark::DoNotOptimize(argument);
        handler(argument);
    }
    benchmark::DoNotOptimize(module->total);
}
BENCHMARK(DirectCallThroughStdFunction);

void PostAndRunEmptyTask(benchmark::State& state) {
    VirtualClock clock;
    MainQueue queue(clock);
    for (auto _ : state) {
        queue.post([] {});
        queue.runOne();
    }
}
BENCHMARK(PostAndRunEmptyTask);

}  // namespace

BENCHMARK_MAIN();
