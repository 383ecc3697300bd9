// Every message list of the program takes 100,000 lines, one message each, with its window
// shown (offscreen platform unless QT_QPA_PLATFORM says otherwise): the main window's, the
// updater's, the builder's, the reconstruction's and the message window's. The lines come as
// a job logs them: the benchmark's argument is the number of lines between two turns of the
// event loop (1: a job that lets the window's events run after every line, as the bus jobs'
// waits do; 2,000: one that logs a line per symbol and hands the loop a turn now and then).
// Timed from the first line until the list shows the last one as its current line, in sight,
// with every paint on the way; lines_per_s is the rate (the goal at least 50,000 lines a
// second), paints the times the list's view was painted.
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
#include "support/newest_line.h"
#include "support/scripted_dialogs.h"
#include "updater/updater_face_form.h"
#include "work_folders.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPointer>
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

// Counts the paints of a widget.
class PaintCount : public QObject {
public:
    explicit PaintCount(QWidget& widget)
        : m_widget(&widget) {
        widget.installEventFilter(this);
    }
    ~PaintCount() override {
        if (m_widget)
            m_widget->removeEventFilter(this);
    }
    int count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_widget && event->type() == QEvent::Paint)
            ++count;
        return false;
    }

private:
    QPointer<QWidget> m_widget;
};

void hundredThousandLines(benchmark::State& state, const std::function<OpenList()>& open) {
    const QStringList& text = lines();
    const int linesPerTurn = int(state.range(0));
    double seconds = 0;
    qint64 paints = 0;
    for (auto _ : state) {
        test::resetProgramState();
        OpenList list = open();
        if (!list.view || !list.view->isVisible()) {
            state.SkipWithError("the window did not open with its list");
            return;
        }
        QCoreApplication::processEvents();
        PaintCount painted(*list.view->viewport());
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < kLines; ++i) {
            list.add(text[i]);
            if ((i + 1) % linesPerTurn == 0)
                QCoreApplication::processEvents();
        }
        while (!test::showsNewestLine(*list.view))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        const double pass = double(timer.nsecsElapsed()) / 1e9;
        state.SetIterationTime(pass);
        seconds += pass;
        paints += painted.count;
        list = {};
        test::resetProgramState();
    }
    const double passes = double(state.iterations());
    state.counters["lines_per_s"] = double(kLines) * passes / seconds;
    state.counters["paints"] = double(paints) / passes;
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
    ->Arg(1)
    ->Arg(2000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK_CAPTURE(hundredThousandLines, updater, updater)
    ->Arg(1)
    ->Arg(2000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK_CAPTURE(hundredThousandLines, builder, builder)
    ->Arg(1)
    ->Arg(2000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK_CAPTURE(hundredThousandLines, reconstruction, reconstruction)
    ->Arg(1)
    ->Arg(2000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK_CAPTURE(hundredThousandLines, message_window, messageWindow)
    ->Arg(1)
    ->Arg(2000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return bench::runWithQt<QApplication>(argc, argv, [] {});
}
