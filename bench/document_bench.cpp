// Writing and reading a document: its text alone, and through a file (the save
// includes the writer's sync to disk and rename).
//
//   build/release/bench/velmora_document_bench
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "document/scenario_document.h"

namespace {

using velmora::ScenarioDocument;

// Long shortest forms in every field, the slowest numbers to write and read.
ScenarioDocument busyDocument() {
    ScenarioDocument document;
    double value = 0.1;
    for (velmora::ScenarioValues* v : {&document.basic, &document.comparison[0],
                                       &document.comparison[1], &document.comparison[2]}) {
        for (double* field : {&v->dailyNewSubs, &v->startingSubs, &v->price, &v->trialRetention,
                              &v->rt1, &v->rt2, &v->rt3, &v->rt4, &v->rt5, &v->rt6, &v->rtPlus}) {
            value = value * 1.1 + 0.7;
            *field = value / 3;
        }
    }
    return document;
}

void writeText(benchmark::State& state) {
    const ScenarioDocument document = busyDocument();
    for (auto _ : state) {
        benchmark::DoNotOptimize(velmora::documentText(document));
    }
}

void parseText(benchmark::State& state) {
    const QByteArray text = velmora::documentText(busyDocument());
    for (auto _ : state) {
        benchmark::DoNotOptimize(velmora::parseDocument(text));
    }
    state.SetBytesProcessed(state.iterations() * text.size());
}

void saveFile(benchmark::State& state) {
    const ScenarioDocument document = busyDocument();
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("bench.velmora"));
    for (auto _ : state) {
        if (velmora::saveDocumentFile(path, document)) {
            state.SkipWithError("the save failed");
        }
    }
}

void readFile(benchmark::State& state) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("bench.velmora"));
    if (velmora::saveDocumentFile(path, busyDocument())) {
        state.SkipWithError("the save failed");
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(velmora::readDocumentFile(path));
    }
}

BENCHMARK(writeText)->Unit(benchmark::kMicrosecond);
BENCHMARK(parseText)->Unit(benchmark::kMicrosecond);
BENCHMARK(saveFile)->Unit(benchmark::kMillisecond);
BENCHMARK(readFile)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
