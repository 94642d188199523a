// Costs of the property and plug machinery, each beside a plain baseline.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "object/kobject.h"
#include "object/kpropertytemplate.h"

namespace qelsdk_600 {
namespace {

// A set with one double bound to a getter and setter, as the scene builds.
class BenchSet : public KObject {
public:
    BenchSet()
    {
        PropertyAddToList(&mValue);
        mValue.SetPropertyInfo("Value", this, &BenchSet::ValueGet, &BenchSet::ValueSet);
    }
    virtual double ValueGet() { return mField; }
    virtual void ValueSet(double pValue) { mField = pValue; }

    KPropertyTemplate<double> mValue;
    double mField = 0.0;
};

// n writes and n reads through GetData and SetData.
void BM_PropertyReadWrite(benchmark::State& state)
{
    BenchSet set;
    const long n = state.range(0);
    for (auto _ : state) {
        double sum = 0.0;
        for (long i = 0; i < n; ++i) {
            double value = static_cast<double>(i);
            set.mValue.SetData(&value);
            double read;
            set.mValue.GetData(&read);
            sum += read;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * n * 2);
}
BENCHMARK(BM_PropertyReadWrite)->Arg(10000)->Arg(100000)->Arg(1000000);

// Baseline: the same values through the virtual accessors directly.
void BM_PropertyReadWriteBaseline(benchmark::State& state)
{
    BenchSet set;
    BenchSet* volatile target = &set;
    const long n = state.range(0);
    for (auto _ : state) {
        double sum = 0.0;
        for (long i = 0; i < n; ++i) {
            target->ValueSet(static_cast<double>(i));
            sum += target->ValueGet();
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * n * 2);
}
BENCHMARK(BM_PropertyReadWriteBaseline)->Arg(10000)->Arg(100000)->Arg(1000000);

// n connects then n disconnects: a hub with n sources built and torn down,
// so a per-connection cost that grew with the count would show.
void BM_ConnectDisconnect(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const int rounds = static_cast<int>(1000000 / n);
    std::vector<std::unique_ptr<KPlug>> sources;
    for (int i = 0; i < n; ++i)
        sources.emplace_back(new KPlug);
    KObject hub;
    for (auto _ : state) {
        for (int r = 0; r < rounds; ++r) {
            for (int i = 0; i < n; ++i)
                hub.ConnectSrc(sources[static_cast<size_t>(i)].get());
            for (int i = n - 1; i >= 0; --i)
                hub.DisconnectSrc(sources[static_cast<size_t>(i)].get());
        }
    }
    state.SetItemsProcessed(state.iterations() * rounds * n * 2);
}
BENCHMARK(BM_ConnectDisconnect)->Arg(10)->Arg(100)->Arg(1000);

// Baseline: pushing and popping the pointers in plain vectors on both sides.
void BM_ConnectDisconnectBaseline(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const int rounds = static_cast<int>(1000000 / n);
    std::vector<KPlug*> hubSide;
    std::vector<std::vector<KPlug*>> sourceSides(static_cast<size_t>(n));
    KPlug hub;
    for (auto _ : state) {
        for (int r = 0; r < rounds; ++r) {
            for (int i = 0; i < n; ++i) {
                hubSide.push_back(&hub);
                sourceSides[static_cast<size_t>(i)].push_back(&hub);
            }
            for (int i = n - 1; i >= 0; --i) {
                hubSide.pop_back();
                sourceSides[static_cast<size_t>(i)].pop_back();
            }
            benchmark::ClobberMemory();
        }
    }
    state.SetItemsProcessed(state.iterations() * rounds * n * 2);
}
BENCHMARK(BM_ConnectDisconnectBaseline)->Arg(10)->Arg(100)->Arg(1000);

struct NamedObject {
    KObject mObject;
    std::vector<std::string> mNames;

    explicit NamedObject(int pCount)
    {
        for (int i = 0; i < pCount; ++i) {
            char name[32];
            std::snprintf(name, sizeof(name), "Property %d", i);
            mNames.push_back(name);
            mObject.CreatePropertyFromType(name, kPropertyDouble, nullptr, false, false, nullptr);
        }
    }
};

// Every name of an object of n properties looked up once per pass.
void BM_FindPropertyByName(benchmark::State& state)
{
    NamedObject named(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        for (const std::string& name : named.mNames)
            benchmark::DoNotOptimize(named.mObject.FindPropertyByName(name.c_str()));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FindPropertyByName)->Arg(4)->Arg(40)->Arg(400);

// Baseline: the linear walk of the list comparing names.
void BM_FindPropertyByNameLinearBaseline(benchmark::State& state)
{
    NamedObject named(static_cast<int>(state.range(0)));
    const KObject& object = named.mObject;
    for (auto _ : state) {
        for (const std::string& name : named.mNames) {
            KProperty* found = nullptr;
            for (int i = 0; i < object.GetPropertyCount(); ++i) {
                if (std::strcmp(object.GetProperty(i)->GetPropertyName(), name.c_str()) == 0) {
                    found = object.GetProperty(i);
                    break;
                }
            }
            benchmark::DoNotOptimize(found);
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FindPropertyByNameLinearBaseline)->Arg(4)->Arg(40)->Arg(400);

}  // namespace
}  // namespace qelsdk_600
