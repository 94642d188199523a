// Property blocks written and read back, per property, beside the same
// records written and read as plain fields (the cost of the field file
// alone). The ratio should stay flat as the count grows by 10x: matching
// records to properties by name must not be quadratic.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "file/iqelobject.h"
#include "object/kobject.h"

using namespace qelsdk_600;

namespace {

std::string ScratchFile()
{
    char pattern[] = "/tmp/qelbench_XXXXXX";
    int fd = mkstemp(pattern);
    if (fd >= 0)
        close(fd);
    std::remove(pattern);  // the field file must not exist yet
    return pattern;
}

std::vector<std::string> Names(int count)
{
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i)
        names.push_back("Property " + std::to_string(i));
    return names;
}

void FillObject(KObject& object, const std::vector<std::string>& names)
{
    for (const std::string& name : names)
        object.CreatePropertyFromType(name.c_str(), kPropertyDouble, nullptr, false, false, nullptr);
}

KArrayTemplate<KProperty*> ListOf(KObject& object)
{
    KArrayTemplate<KProperty*> list;
    for (int i = 0; i < object.GetPropertyCount(); ++i)
        list.Add(object.GetProperty(i));
    return list;
}

void BM_PropertyBlockRoundTrip(benchmark::State& state)
{
    std::vector<std::string> names = Names(static_cast<int>(state.range(0)));
    KObject source, target;
    FillObject(source, names);
    FillObject(target, names);
    KArrayTemplate<KProperty*> written = ListOf(source);
    std::string path = ScratchFile();
    for (auto _ : state) {
        std::unique_ptr<IQelObject> out(KQelObjectCreate());
        out->ProjectCreate(path.c_str(), true, false, nullptr);
        out->FieldWritePropertiesList(written);
        out->ProjectClose();
        std::unique_ptr<IQelObject> in(KQelObjectCreate());
        in->ProjectOpenDirect(path.c_str(), false, true, nullptr);
        KArrayTemplate<KProperty*> read = ListOf(target);
        benchmark::DoNotOptimize(in->FieldReadPropertiesList(read, &target));
        in->ProjectClose();
        std::remove(path.c_str());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The same records through the field file alone.
void BM_PlainFieldsRoundTrip(benchmark::State& state)
{
    std::vector<std::string> names = Names(static_cast<int>(state.range(0)));
    std::string path = ScratchFile();
    for (auto _ : state) {
        std::unique_ptr<KQel> out(new KQel);
        out->ProjectCreate(path.c_str(), true, false, nullptr);
        out->FieldWriteBegin("Properties60");
        out->FieldWriteBlockBegin();
        for (const std::string& name : names) {
            out->FieldWriteBegin("Property");
            out->FieldWriteC(name.c_str());
            out->FieldWriteC("double");
            out->FieldWriteC("");
            out->FieldWriteC("");
            out->FieldWriteD(1.0);
            out->FieldWriteEnd();
        }
        out->FieldWriteBlockEnd();
        out->FieldWriteEnd();
        out->ProjectClose();
        std::unique_ptr<KQel> in(new KQel);
        in->ProjectOpenDirect(path.c_str(), false, true, nullptr);
        in->FieldReadBegin("Properties60");
        in->FieldReadBlockBegin();
        double sum = 0.0;
        while (in->FieldReadBegin("Property")) {
            for (int i = 0; i < 4; ++i)
                benchmark::DoNotOptimize(in->FieldReadC());
            sum += in->FieldReadD();
            in->FieldReadEnd();
        }
        benchmark::DoNotOptimize(sum);
        in->ProjectClose();
        std::remove(path.c_str());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_PropertyBlockRoundTrip)->RangeMultiplier(10)->Range(10, 10000);
BENCHMARK(BM_PlainFieldsRoundTrip)->RangeMultiplier(10)->Range(10, 10000);

}  // namespace
