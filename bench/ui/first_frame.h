#pragma once

#include <memory>

#include <QCoreApplication>
#include <QWidget>

#include <benchmark/benchmark.h>

#include "ui/window/first_paint.h"

namespace velmora {

/// Times the making of a window by `make`, and its showing up to its first
/// painted frame; the closing and the deleting of it are not timed.
template <typename Make>
void timeToFirstPaint(benchmark::State& state, Make make) {
    for (auto _ : state) {
        std::unique_ptr<QWidget> window = make();
        const auto* probe = new FirstPaint(window.get());  // the window's child
        window->show();
        while (!probe->painted()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        state.PauseTiming();
        window->close();
        window.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

}  // namespace velmora
