// Data file decode/encode and the store's load/save, each against copying or
// reading/writing the same number of bytes. Every measured benchmark reports
// `x_baseline`: its time per iteration divided by the baseline's, measured in
// the same run; the plain baselines are listed too, under ".baseline_" names.
#include <benchmark/benchmark.h>

#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>

#include "entries/DataFile.h"
#include "entries/DataFileKeeper.h"
#include "entries/EntryStore.h"
#include "WallClock.h"

namespace pennora {
namespace {

// Entries as users keep them: short Chinese titles, contents of a few words to
// a few lines, GBK mixed with ASCII, CR LF line breaks, some null fields.
std::vector<Entry> RealisticEntries(int count) {
    static const char* const kWords[] = {"灌水", "你好", "谢谢支持", "楼主", "顶一下", "收藏了", "hello", "OK",
                                         "http://example.com/", "2024", "（转载）", "。", "，", "\r\n"};
    std::mt19937 random(42);
    auto text = [&](int words) {
        std::string out;
        for (int i = 0; i < words; ++i) out += kWords[random() % std::size(kWords)];
        return out;
    };
    std::vector<Entry> entries;
    entries.reserve(count);
    for (int i = 0; i < count; ++i) {
        Entry e;
        e.title = CutToWidth(text(1 + random() % 5), kTitleWidth);
        if (random() % 20) e.content = CutToWidth(text(5 + random() % 60), kContentWidth);
        if (random() % 3) e.inDrag = random() % 2 == 0;
        if (random() % 3) e.inHotKey = random() % 2 == 0;
        entries.push_back(std::move(e));
    }
    return entries;
}

const std::string& EncodedFile(int count) {
    static std::map<int, std::string> files;
    auto& file = files[count];
    if (file.empty()) file = EncodeDataFile(RealisticEntries(count));
    return file;
}

std::filesystem::path BenchFolder() {
    auto folder = std::filesystem::temp_directory_path() / "pennora-bench";
    std::filesystem::create_directories(folder);
    return folder;
}

// The store's file seam on standard streams, the way a portable build would
// write: temporary file beside the target, flushed, then renamed over it.
class StreamFileSystem final : public FileSystem {
public:
    FileQuery QueryFile(const std::string& path) override {
        std::error_code error;
        bool present = std::filesystem::is_regular_file(path, error);
        if (error && error != std::errc::no_such_file_or_directory) return {FileState::Unknown, error.message()};
        return {present ? FileState::Present : FileState::Absent, {}};
    }
    FileError ReadWholeFile(const std::string& path, std::string& bytes) override {
        std::ifstream in(path, std::ios::binary | std::ios::ate);
        if (!in) return "cannot open " + path;
        std::string content(static_cast<std::size_t>(in.tellg()), '\0');
        in.seekg(0).read(content.data(), static_cast<std::streamsize>(content.size()));
        if (!in) return "cannot read " + path;
        bytes = std::move(content);
        return {};
    }
    FileError SaveWholeFile(const std::string& path, const std::string& bytes) override {
        const std::string temp = path + ".saving";
        {
            std::ofstream out(temp, std::ios::binary | std::ios::trunc);
            if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())).flush())
                return "cannot write " + temp;
        }
        std::error_code error;
        std::filesystem::rename(temp, path, error);
        return error ? "cannot replace " + path + ": " + error.message() : FileError();
    }
    FileError SaveWholeFileKeepingOld(const std::string& path, const std::string&, const std::string&,
                                      FileError&) override {
        return "not used: " + path;
    }
    FileError MoveAside(const std::string& path, std::string&) override { return "not used: " + path; }
    FileError RenameFile(const std::string& from, const std::string&) override { return "not used: " + from; }
    FileError RemoveFile(const std::string& path) override { return "not used: " + path; }
};

// The plain operations the measured ones are compared with.
void CopyBytes(const std::string& source, std::string& target) {
    std::memcpy(target.data(), source.data(), source.size());
    benchmark::DoNotOptimize(target.data());
}
void ReadFileBytes(const std::string& path, std::string& target) {
    std::ifstream in(path, std::ios::binary);
    in.read(target.data(), static_cast<std::streamsize>(target.size()));
    benchmark::DoNotOptimize(target.data());
}
void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())).flush();
}

// Mean seconds of `baseline`, run for at least a fifth of a second (and at
// least three times) so it is averaged like the measured loop.
double BaselineSeconds(const std::function<void()>& baseline) {
    int runs = 0;
    double start = Now(), elapsed = 0;
    while (runs < 3 || elapsed < 0.2) {
        baseline();
        ++runs;
        elapsed = Now() - start;
    }
    return elapsed / runs;
}

// Runs `measured` as the benchmark loop and reports its ratio to `baseline`.
void MeasureAgainst(benchmark::State& state, std::size_t bytes, const std::function<void()>& measured,
                    const std::function<void()>& baseline) {
    const double baselineSeconds = BaselineSeconds(baseline);
    double start = Now();
    for (auto _ : state) measured();
    double perIteration = (Now() - start) / double(state.iterations());
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes));
    state.counters["file_bytes"] = double(bytes);
    state.counters["x_baseline"] = perIteration / baselineSeconds;
}

void RunPlain(benchmark::State& state, std::size_t bytes, const std::function<void()>& baseline) {
    for (auto _ : state) baseline();
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes));
    state.counters["file_bytes"] = double(bytes);
}

void Decode(benchmark::State& state) {
    const std::string& file = EncodedFile(int(state.range(0)));
    std::string copy(file.size(), '\0');
    MeasureAgainst(
        state, file.size(), [&] { benchmark::DoNotOptimize(DecodeDataFile(file)); }, [&] { CopyBytes(file, copy); });
}

void Encode(benchmark::State& state) {
    const std::string& file = EncodedFile(int(state.range(0)));
    const std::vector<Entry> entries = DecodeDataFile(file).entries;
    std::string copy(file.size(), '\0');
    MeasureAgainst(
        state, file.size(), [&] { benchmark::DoNotOptimize(EncodeDataFile(entries)); },
        [&] { CopyBytes(file, copy); });
}

void BaselineMemcpy(benchmark::State& state) {
    const std::string& file = EncodedFile(int(state.range(0)));
    std::string copy(file.size(), '\0');
    RunPlain(state, file.size(), [&] { CopyBytes(file, copy); });
}

void StoreLoad(benchmark::State& state) {
    const std::string& file = EncodedFile(int(state.range(0)));
    const std::string path = (BenchFolder() / "Pennora.Dat").string();
    WriteFileBytes(path, file);
    StreamFileSystem files;
    EntryStore store;
    DataFileKeeper dataFile{store, files, path};
    std::string target(file.size(), '\0');
    MeasureAgainst(
        state, file.size(),
        [&] {
            if (dataFile.Load().status != DataFileKeeper::LoadStatus::Loaded) state.SkipWithError("load failed");
        },
        [&] { ReadFileBytes(path, target); });
}

void StoreSave(benchmark::State& state) {
    const std::string& file = EncodedFile(int(state.range(0)));
    const std::string path = (BenchFolder() / "Pennora.Dat").string();
    const std::string plainPath = (BenchFolder() / "plain.bin").string();
    WriteFileBytes(path, file);
    StreamFileSystem files;
    EntryStore store;
    DataFileKeeper dataFile{store, files, path};
    dataFile.Load();
    MeasureAgainst(
        state, file.size(), [&] { dataFile.Save(); }, [&] { WriteFileBytes(plainPath, file); });
}

void BaselineReadFile(benchmark::State& state) {
    const std::string& file = EncodedFile(int(state.range(0)));
    const std::string path = (BenchFolder() / "plain.bin").string();
    WriteFileBytes(path, file);
    std::string target(file.size(), '\0');
    RunPlain(state, file.size(), [&] { ReadFileBytes(path, target); });
}

void BaselineWriteFile(benchmark::State& state) {
    const std::string& file = EncodedFile(int(state.range(0)));
    const std::string path = (BenchFolder() / "plain.bin").string();
    RunPlain(state, file.size(), [&] { WriteFileBytes(path, file); });
}

void Checksum(benchmark::State& state) {
    const std::string& file = EncodedFile(int(state.range(0)));
    std::string copy(file.size(), '\0');
    MeasureAgainst(
        state, file.size(), [&] { benchmark::DoNotOptimize(Crc32(file)); }, [&] { CopyBytes(file, copy); });
}

void Sizes(benchmark::internal::Benchmark* b) { b->ArgName("entries")->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond); }

BENCHMARK(Decode)->Name("DataFile.Decode")->Apply(Sizes);
BENCHMARK(Encode)->Name("DataFile.Encode")->Apply(Sizes);
BENCHMARK(Checksum)->Name("DataFile.Crc32")->Apply(Sizes);
BENCHMARK(BaselineMemcpy)->Name("DataFile.baseline_memcpy")->Apply(Sizes);
BENCHMARK(StoreLoad)->Name("DataFile.StoreLoad_ifstream")->Apply(Sizes);
BENCHMARK(BaselineReadFile)->Name("DataFile.baseline_read_ifstream")->Apply(Sizes);
BENCHMARK(StoreSave)->Name("DataFile.StoreSave_ofstream")->Apply(Sizes);
BENCHMARK(BaselineWriteFile)->Name("DataFile.baseline_write_ofstream")->Apply(Sizes);

}  // namespace
}  // namespace pennora
