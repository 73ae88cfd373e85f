// The find box's matching at 10,000 entries, natively, one keystroke at a
// time as the find box does it: the first key over every line, each later
// key among the lines its start found, and the making of the prepared texts
// when the list is filled. Every keystroke reports `x_baseline`: its time
// divided by one pass over the same prepared codes that only counts a code
// (the least any find must do), measured in the same run.
#include <benchmark/benchmark.h>

#include <ctime>
#include <string>
#include <vector>

#include "fill/ListFind.h"
#include "WallClock.h"

namespace pennora {
namespace {

// The titles and contents of the Wine fill bench: short Chinese titles with
// a number, contents of a few hundred bytes of Chinese with letters and digits.
struct Lines {
    std::vector<std::string> titles, contents;
};

const Lines& TenThousand() {
    static const Lines lines = [] {
        const char* const kTitleWords[] = {"地址", "电话", "邮箱", "公司", "发票抬头", "银行账号", "快递", "Mail"};
        Lines made;
        for (int i = 0; i < 10000; ++i) {
            const std::string n = std::to_string(i);
            made.titles.push_back(kTitleWords[i % std::size(kTitleWords)] + n);
            made.contents.push_back("北京市海淀区中关村大街" + n + "号，邮编 100080，电话 010-6275" + n +
                                    "。Dear customer, thank you for your order " + n +
                                    "; it ships within two working days. 开户行：中国工商银行北京分行，账号 0200" + n +
                                    "，纳税人识别号 91110108MA0" + n + "。");
        }
        return made;
    }();
    return lines;
}

const FindIndex& Index() {
    static const FindIndex index(TenThousand().titles, TenThousand().contents);
    return index;
}

// The baseline: one pass over every line's text counting one byte.
double CountPassSeconds() {
    static const double seconds = [] {
        const Lines& lines = TenThousand();
        constexpr int kRounds = 20;
        benchmark::DoNotOptimize(lines.titles.data());
        const auto started = Now();
        std::size_t count = 0;
        for (int round = 0; round < kRounds; ++round)
            for (std::size_t i = 0; i < lines.titles.size(); ++i) {
                for (char c : lines.titles[i]) count += c == 'q';
                for (char c : lines.contents[i]) count += c == 'q';
                benchmark::DoNotOptimize(count);
            }
        return (Now() - started) / kRounds;
    }();
    return seconds;
}

// Key `key` (1-based) of `typed`, one text per key: the lines of the text
// one key shorter are found first, outside the timing, as the find box keeps
// them.
void BM_Keystroke(benchmark::State& state, std::vector<std::string> typed) {
    const FindIndex& index = Index();
    const std::size_t key = std::size_t(state.range(0));
    std::vector<std::size_t> before;
    const bool first = key == 1;
    if (!first) {
        std::vector<std::size_t> lines = index.LinesContaining(typed[0]);
        for (std::size_t k = 2; k < key; ++k) lines = index.LinesContaining(typed[k - 1], &lines);
        before = std::move(lines);
    }
    const std::string piece = typed[key - 1];
    std::size_t found = 0;
    double spent = 0;
    for (auto _ : state) {
        const double started = Now();
        auto lines = index.LinesContaining(piece, first ? nullptr : &before);
        spent += Now() - started;
        found = lines.size();
        benchmark::DoNotOptimize(lines.data());
    }
    state.counters["lines"] = double(found);
    state.counters["x_baseline"] = spent / double(state.iterations()) / CountPassSeconds();
}

void BM_Prepare(benchmark::State& state) {
    const Lines& lines = TenThousand();
    for (auto _ : state) {
        FindIndex index(lines.titles, lines.contents);
        benchmark::DoNotOptimize(index.size());
    }
}

using Texts = std::vector<std::string>;

}  // namespace

BENCHMARK_CAPTURE(BM_Keystroke, characters_and_digits, Texts{"地", "地址", "地址1", "地址12"})
    ->DenseRange(1, 4)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Keystroke, syllables_dizhi, Texts{"d", "di", "diz", "dizh", "dizhi"})
    ->DenseRange(1, 5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Keystroke, initials_dzhbj, Texts{"d", "dz", "dzh", "dzhb", "dzhbj"})
    ->DenseRange(1, 5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Keystroke, letters_order, Texts{"o", "or", "ord", "orde", "order"})
    ->DenseRange(1, 5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Prepare)->Unit(benchmark::kMillisecond);

}  // namespace pennora
