// Every message list of the program takes 100,000 lines, one message each as a job logs
// them, with its window shown (offscreen platform unless QT_QPA_PLATFORM says otherwise):
// the main window's, the updater's, the builder's, the reconstruction's and the message
// window's. Timed from the first line to the list showing the last one as its current
// line; lines_per_s is the rate, the goal at least 50,000 lines a second.
#include "core/message_list.h"
#include "core/message_list_view.h"
#include "core/message_window.h"
#include "core/message_window_form.h"
#include "dc_fixture.h"
#include "dcbuilder/dc_builder.h"
#include "dcbuilder/dc_builder_form.h"
#include "dcbuilder/dc_reconstruction.h"
#include "dcbuilder/dc_reconstruction_form.h"
#include "main_window_fixture.h"
#include "mainwindow/loader_panel.h"
#include "mainwindow/main_window_form.h"
#include "qt_benchmark_main.h"
#include "sample_versions.h"
#include "support/scripted_dialogs.h"
#include "updater/updater_face_form.h"
#include "work_folders.h"

#include <QApplication>
#include <QElapsedTimer>
#include <benchmark/benchmark.h>
#include <functional>
#include <memory>

using namespace pxu;

namespace {

constexpr int kLines = 100000;

// Lines as the header scan writes them, each of its own.
const QStringList& lines() {
    static const QStringList made = [] {
        QStringList all;
        all.reserve(kLines);
        for (int i = 0; i < kLines; ++i)
            all << QStringLiteral("         VAR: GEN_VAR_%1 (%2) {%3}")
                       .arg(i)
                       .arg(1000000 + i)
                       .arg(i % 100);
        return all;
    }();
    return made;
}

// A window open with its list, and how a job logs into it.
struct OpenList {
    std::shared_ptr<void> window; // what keeps it open; closed when this goes
    std::function<void(const QString&)> add;
    MessageListView* view = nullptr;
};

bool showsNewestLine(const MessageListView& view) {
    const auto* messages = qobject_cast<const MessageList*>(view.model());
    const int newest = messages->count() - 1;
    if (view.model()->rowCount() != newest + 1 || view.currentIndex().row() != newest)
        return false;
    const QRect last = view.visualRect(view.currentIndex());
    return view.viewport()->rect().contains(QPoint(last.left() + 1, last.bottom()));
}

void hundredThousandLines(benchmark::State& state, const std::function<OpenList()>& open) {
    const QStringList& text = lines();
    qint64 ns = 0;
    for (auto _ : state) {
        state.PauseTiming();
        test::resetProgramState();
        OpenList list = open();
        if (!list.view || !list.view->isVisible()) {
            state.SkipWithError("the window did not open with its list");
            return;
        }
        QCoreApplication::processEvents();
        state.ResumeTiming();
        QElapsedTimer timer;
        timer.start();
        for (const QString& line : text)
            list.add(line);
        while (!showsNewestLine(*list.view))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        ns += timer.nsecsElapsed();
        state.PauseTiming();
        list = {};
        test::resetProgramState();
        state.ResumeTiming();
    }
    state.counters["lines_per_s"] =
        double(kLines) * double(state.iterations()) / (double(ns) / 1e9);
}

// A main window with its updater face and tools, started as main() starts it.
struct StartedProgram {
    explicit StartedProgram(QStringList arguments)
        : program(workspace, std::move(arguments)) {
        program.start();
    }
    test::ScriptedDialogs dialogs;
    test::Workspace workspace;
    test::Program program;
};

OpenList mainWindow() {
    auto started = std::make_shared<StartedProgram>(QStringList{"/KEV", "/noCan"});
    MainWindowForm* form = started->program.window.form();
    if (!form)
        return {};
    form->resize(1280, 800);
    return {started, [w = &started->program.window](const QString& line) { w->addMessage(line); },
            form->loader()->lstMessage};
}

OpenList updater() {
    auto started = std::make_shared<StartedProgram>(QStringList{"/noCan"});
    UpdaterFaceForm* face = started->program.face.form();
    if (!face)
        return {};
    return {started,
            [f = &started->program.face](const QString& line) {
                QString text = line;
                f->addMessageUpdater(text, -1);
            },
            face->lstMessageUpdater};
}

struct OpenBuilder {
    OpenBuilder() {
        test::currentSampleVersions(fixture, dialogs);
        builder.g_show(fixture.folder());
    }
    test::ScriptedDialogs dialogs;
    test::DcFixture fixture;
    DcBuilder builder;
};

OpenList builder() {
    auto open = std::make_shared<OpenBuilder>();
    if (!open->builder.form())
        return {};
    return {open, [b = &open->builder](const QString& line) { b->addMessage(line); },
            open->builder.form()->lstMessage};
}

struct OpenReconstruction {
    OpenReconstruction() { window.g_show(); }
    test::ScriptedDialogs dialogs;
    test::DcFixture fixture;
    test::WorkFolders folders{fixture};
    DcReconstruction window;
};

OpenList reconstruction() {
    auto open = std::make_shared<OpenReconstruction>();
    if (!open->window.form())
        return {};
    return {open, [r = &open->window](const QString& line) { r->addMessage(line); },
            open->window.form()->lstMessage};
}

OpenList messageWindow() {
    auto dialogs = std::make_shared<test::ScriptedDialogs>();
    MessageWindow& window = frmMessage2();
    window.addMessage(QStringLiteral("CANopen initialising M-Bus ...")); // opens it
    if (!window.form())
        return {};
    return {dialogs, [&window](const QString& line) { window.addMessage(line); },
            window.form()->lstMessage()};
}

} // namespace

BENCHMARK_CAPTURE(hundredThousandLines, main_window, mainWindow)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(hundredThousandLines, updater, updater)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(hundredThousandLines, builder, builder)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(hundredThousandLines, reconstruction, reconstruction)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(hundredThousandLines, message_window, messageWindow)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return bench::runWithQt<QApplication>(argc, argv, [] {});
}
