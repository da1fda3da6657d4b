// The compilation's long operations on 10,000 tracks: one adding run, opening
// a project file, and one capacity recompute (tree under the disc names and
// layout).

#include "app/core/adding.h"
#include "app/core/capacity.h"
#include "app/core/project_file.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace valmuri;

constexpr int kTracks = 10000;

struct NoQuestions : AddingHandler {
    ReplaceAnswer ask_replace(const ReplaceQuestion&) override { return ReplaceAnswer::No; }
};

// The source files and a project of them, made once and removed at exit.
class Fixture {
public:
    static Fixture& get()
    {
        static Fixture fixture;
        return fixture;
    }
    std::vector<std::string> files;
    fs::path project;

private:
    Fixture()
    {
        root_ = fs::temp_directory_path() / ("valmuri-compilation-bench-" + std::to_string(::getpid()));
        fs::create_directories(root_ / "src");
        for (int i = 0; i < kTracks; ++i) {
            char name[96];
            std::snprintf(name, sizeof name, "Artista %d - Música número %05d.mp3", i % 97, i);
            const fs::path path = root_ / "src" / name;
            std::ofstream(path) << std::string(static_cast<std::size_t>(i % 4096), 'x');
            files.push_back(path.string());
        }
        Compilation compilation;
        NoQuestions keep;
        add_files(compilation, files, keep, NumberFormat::brazilian());
        project = root_ / "big.vlm";
        save_project(compilation, project);
    }
    ~Fixture()
    {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    fs::path root_;
};

void BM_AddFiles(benchmark::State& state)
{
    const auto& files = Fixture::get().files;
    NoQuestions handler;
    for (auto _ : state) {
        Compilation compilation;
        add_files(compilation, files, handler, NumberFormat::brazilian());
        benchmark::DoNotOptimize(compilation.row_count());
    }
}
BENCHMARK(BM_AddFiles)->Unit(benchmark::kMillisecond);

void BM_OpenProject(benchmark::State& state)
{
    const auto& project = Fixture::get().project;
    for (auto _ : state) {
        Compilation compilation;
        const ProjectRead read = open_project(compilation, project);
        if (!read.ok() || compilation.row_count() != kTracks)
            state.SkipWithError("project did not open");
    }
}
BENCHMARK(BM_OpenProject)->Unit(benchmark::kMillisecond);

void BM_Recompute(benchmark::State& state)
{
    Compilation compilation;
    open_project(compilation, Fixture::get().project);
    TVordaCDBurner burner;
    TranslationTable texts;
    for (auto _ : state) {
        const CapacityFigures figures = recompute_capacity(burner, compilation, texts, NumberFormat::brazilian());
        if (burner.FileCount() != kTracks)
            state.SkipWithError("tree does not hold every track");
        benchmark::DoNotOptimize(figures.blocks);
    }
}
BENCHMARK(BM_Recompute)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
