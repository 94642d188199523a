// Field file throughput against plain stdio on the same payload: one field
// per record holding 25 doubles (200 bytes), 10^4 to 10^6 records (200 MB).
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "file/kqel.h"
#include "scratch_files.h"

namespace qelsdk_600 {
namespace {

constexpr int kValues = 25;

using benchfiles::ScratchPath;

void WriteDocument(const std::string& path, int fields, bool binary) {
    KQel q;
    q.ProjectCreate(path.c_str(), binary, false, nullptr);
    for (int i = 0; i < fields; ++i) {
        q.FieldWriteBegin("Data");
        for (int j = 0; j < kValues; ++j) q.FieldWriteD(i * 0.5 + j);
        q.FieldWriteEnd();
    }
    q.ProjectClose();
}

double ReadDocument(const std::string& path, int fields) {
    KQel q;
    double sum = 0.0;
    q.ProjectOpen(path.c_str(), false, true, nullptr);
    q.ProjectOpenMainSection();
    double row[kValues];
    for (int i = 0; i < fields; ++i) {
        q.FieldReadDn("Data", row, nullptr, kValues);
        for (double v : row) sum += v;
    }
    q.ProjectClose();
    return sum;
}

void FwriteDocument(const std::string& path, int fields) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    double row[kValues];
    for (int i = 0; i < fields; ++i) {
        for (int j = 0; j < kValues; ++j) row[j] = i * 0.5 + j;
        std::fwrite(row, sizeof row, 1, f);
    }
    std::fclose(f);
}

double FreadDocument(const std::string& path, int fields) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    double row[kValues], sum = 0.0;
    for (int i = 0; i < fields && std::fread(row, sizeof row, 1, f) == 1; ++i) {
        for (double v : row) sum += v;
    }
    std::fclose(f);
    return sum;
}

template <class F>
double Seconds(F&& f) {
    auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Each figure also carries its ratio to the stdio baseline, timed beside it.
void BM_BinaryWrite(benchmark::State& state) {
    const int fields = static_cast<int>(state.range(0));
    std::string path = ScratchPath("w.qel"), plain = ScratchPath("w.raw");
    double ours = 0.0, base = 0.0;
    for (auto _ : state) {
        ours += Seconds([&] { WriteDocument(path, fields, true); });
        state.PauseTiming();
        base += Seconds([&] { FwriteDocument(plain, fields); });
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * int64_t(fields) * kValues * 8);
    state.counters["x_fwrite"] = ours / base;
    std::remove(path.c_str());
    std::remove(plain.c_str());
}
BENCHMARK(BM_BinaryWrite)->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond);

void BM_BinaryRead(benchmark::State& state) {
    const int fields = static_cast<int>(state.range(0));
    std::string path = ScratchPath("r.qel"), plain = ScratchPath("r.raw");
    WriteDocument(path, fields, true);
    FwriteDocument(plain, fields);
    double ours = 0.0, base = 0.0, sum = 0.0;
    for (auto _ : state) {
        ours += Seconds([&] { sum += ReadDocument(path, fields); });
        state.PauseTiming();
        base += Seconds([&] { sum -= FreadDocument(plain, fields); });
        state.ResumeTiming();
    }
    benchmark::DoNotOptimize(sum);
    state.SetBytesProcessed(state.iterations() * int64_t(fields) * kValues * 8);
    state.counters["x_fread"] = ours / base;
    std::remove(path.c_str());
    std::remove(plain.c_str());
}
BENCHMARK(BM_BinaryRead)->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond);

// Text throughput in MB of text written or read.
void BM_TextWrite(benchmark::State& state) {
    const int fields = static_cast<int>(state.range(0));
    std::string path = ScratchPath("t.qel");
    long long bytes = 0;
    for (auto _ : state) {
        WriteDocument(path, fields, false);
        state.PauseTiming();
        std::FILE* f = std::fopen(path.c_str(), "rb");
        std::fseek(f, 0, SEEK_END);
        bytes += std::ftell(f);
        std::fclose(f);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(bytes);
    std::remove(path.c_str());
}
BENCHMARK(BM_TextWrite)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

void BM_TextRead(benchmark::State& state) {
    const int fields = static_cast<int>(state.range(0));
    std::string path = ScratchPath("tr.qel");
    WriteDocument(path, fields, false);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    std::fseek(f, 0, SEEK_END);
    long long size = std::ftell(f);
    std::fclose(f);
    double sum = 0.0;
    for (auto _ : state) sum += ReadDocument(path, fields);
    benchmark::DoNotOptimize(sum);
    state.SetBytesProcessed(state.iterations() * size);
    std::remove(path.c_str());
}
BENCHMARK(BM_TextRead)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond);

// ---- Numbers of the text form ----

// ---- Deflated runs ----

// The arrays of a mesh of n vertices as the native writer stores them:
// coordinates, normals, UVs, corner indices.
struct MeshArrays {
    std::vector<double> points, normals, uvs;
    std::vector<int> corners;
    explicit MeshArrays(int n) {
        for (int i = 0; i < n; ++i) {
            points.insert(points.end(), {static_cast<double>(i % 1000), static_cast<double>(i / 1000), 0.5 * i});
            normals.insert(normals.end(), {0.0, 0.0, 1.0});
            uvs.insert(uvs.end(), {(i % 100) / 100.0, (i / 100 % 100) / 100.0});
            for (int k = 0; k < 4; ++k) corners.push_back(k == 3 ? ~((i + k) % n) : (i + k) % n);
        }
    }
};

// The arrays written with or without deflated runs.
void WriteMeshArrays(const std::string& path, const MeshArrays& arrays, bool deflate) {
    const std::vector<double>& points = arrays.points;
    const std::vector<double>& normals = arrays.normals;
    const std::vector<double>& uvs = arrays.uvs;
    const std::vector<int>& corners = arrays.corners;
    KQel q;
    q.SetDeflateRuns(deflate);
    q.ProjectCreate(path.c_str(), true, false, nullptr);
    const struct {
        const char* name;
        const std::vector<double>* values;
    } reals[] = {{"Vertices", &points}, {"Normals", &normals}, {"UV", &uvs}};
    for (const auto& field : reals) {
        q.FieldWriteBegin(field.name);
        q.FieldWriteDn(field.values->data(), static_cast<unsigned>(field.values->size()));
        q.FieldWriteEnd();
    }
    for (const char* name : {"PolygonVertexIndex", "UVIndex"}) {
        q.FieldWriteBegin(name);
        q.FieldWriteIn(corners.data(), static_cast<unsigned>(corners.size()));
        q.FieldWriteEnd();
    }
    q.ProjectClose();
}

double ReadMeshArrays(const std::string& path) {
    KQel q;
    q.ProjectOpenDirect(path.c_str(), false, true, nullptr);
    double sum = 0.0;
    std::vector<double> reals;
    std::vector<int> ints;
    for (const char* name : {"Vertices", "Normals", "UV"}) {
        if (!q.FieldReadBegin(name)) continue;
        reals.resize(static_cast<std::size_t>(q.FieldReadGetCount()));
        q.FieldReadDn(reals.data(), static_cast<unsigned>(reals.size()));
        sum += reals.empty() ? 0.0 : reals.back();
        q.FieldReadEnd();
    }
    for (const char* name : {"PolygonVertexIndex", "UVIndex"}) {
        if (!q.FieldReadBegin(name)) continue;
        ints.resize(static_cast<std::size_t>(q.FieldReadGetCount()));
        q.FieldReadIn(ints.data(), static_cast<unsigned>(ints.size()));
        sum += ints.empty() ? 0 : ints.back();
        q.FieldReadEnd();
    }
    return sum;
}

// Argument 0: 1 with deflated runs; argument 1: vertices. "bytes" is the
// file's size; the times are the write and the read of one pass each.
void BM_MeshArrays(benchmark::State& state) {
    const bool deflate = state.range(0) != 0;
    const int n = static_cast<int>(state.range(1));
    const std::string path = ScratchPath("mesh_arrays.qel");
    const MeshArrays arrays(n);  // built once: only the write is timed
    double write = 0.0, read = 0.0, sum = 0.0;
    for (auto _ : state) {
        write += Seconds([&] { WriteMeshArrays(path, arrays, deflate); });
        read += Seconds([&] { sum += ReadMeshArrays(path); });
    }
    benchmark::DoNotOptimize(sum);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    std::fseek(f, 0, SEEK_END);
    state.counters["bytes"] = static_cast<double>(std::ftell(f));
    std::fclose(f);
    state.counters["write_ms"] = 1000.0 * write / static_cast<double>(state.iterations());
    state.counters["read_ms"] = 1000.0 * read / static_cast<double>(state.iterations());
    std::remove(path.c_str());
}
BENCHMARK(BM_MeshArrays)->ArgsProduct({{0, 1}, {100000, 1000000}})->Unit(benchmark::kMillisecond);

// Reading one text field of n integers (mesh indices) or n doubles
// (coordinates with a few decimals), the file opened and parsed included.
void BM_TextReadNumbers(benchmark::State& state) {
    const bool integers = state.range(0) == 0;
    const int n = static_cast<int>(state.range(1));
    const std::string path = ScratchPath("numbers.qel");
    {
        KQel out;
        out.ProjectCreate(path.c_str(), false, false, nullptr);
        out.FieldWriteBegin("Values");
        for (int i = 0; i < n; ++i) {
            if (integers)
                out.FieldWriteI(i % 2 ? ~(i * 7 % 1000003) : i * 7 % 1000003);
            else
                out.FieldWriteD((i % 2000) * 0.125 - 100.0 + i / 1000 * 0.01);
        }
        out.FieldWriteEnd();
        out.ProjectClose();
    }
    std::vector<int> ints(static_cast<std::size_t>(n));
    std::vector<double> reals(static_cast<std::size_t>(n));
    for (auto _ : state) {
        KQel in;
        in.ProjectOpenDirect(path.c_str(), false, true, nullptr);
        in.FieldReadBegin("Values");
        if (integers)
            in.FieldReadIn(ints.data(), static_cast<unsigned>(n));
        else
            in.FieldReadDn(reals.data(), static_cast<unsigned>(n));
        in.ProjectClose();
    }
    state.SetItemsProcessed(state.iterations() * n);
    std::remove(path.c_str());
}
BENCHMARK(BM_TextReadNumbers)->ArgsProduct({{0, 1}, {10000, 100000, 1000000}})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qelsdk_600
