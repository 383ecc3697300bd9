// pxu-dc-road-check: the data-container road of the PXU full loader as scripts/run starts
// it, driven instead of a service engineer: the builder opened on the sample plant, its
// headers scanned, its signal list imported, one value edited, "PXU_DATA.S19" built and
// downloaded into the spare, uploaded from the spare again, the template of its build made
// and the upload reconstructed; the edited value must be in the reconstructed database.
// Boxes get their default answer and are printed; so are the logs. Screenshots of the
// builder after the build, of the reconstruction and of the editor on the reconstructed
// value go where PXU_TEST_OUTPUT says. Exit code 0 when the road was done to its end; the
// last line says what was checked. With --xls the road imports the signal list saved as .xls.
#include "bus/connection_status.h"
#include "check_output.h"
#include "core/file_names.h"
#include "core/globals.h"
#include "dcbuilder/dc_builder.h"
#include "dcbuilder/dc_builder_form.h"
#include "dcbuilder/dc_reconstruction.h"
#include "dcbuilder/dc_reconstruction_form.h"
#include "dcbuilder/dc_tools.h"
#include "dcdatabase/edit_dc.h"
#include "dcdatabase/edit_dc_form.h"
#include "mainwindow/main_window.h"
#include "mainwindow/module_type_tables.h"
#include "support/recording_error_handler.h"
#include "support/screenshot.h"
#include "support/scripted_dialogs.h"
#include "updater/updater_face.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTableView>
#include <functional>

using namespace pxu;
using namespace pxu::test;

namespace {

// The value edited on the road, and one the signal list brings.
const QString kEditedSymbol = QStringLiteral("PAR_RATED_SPEED");
const QString kEditedValue = QStringLiteral("777");
const QString kImportedSymbol = QStringLiteral("PAR_IDLE_SPEED");
const QString kImportedValue = QStringLiteral("350");

// The row of the symbol in the editor's visible grid of every group, -1 when it is not
// there.
int rowOf(EditDc& editor, const QString& symbol) {
    const int all = int(editor.view().cboCrcGroup.size()) - 1;
    if (editor.view().cboCrcGroupIndex != all)
        editor.cboCrcGroup_Click(all);
    dc::EditDcGrid& grid = *editor.visibleGrid();
    for (int row = 0; row < grid.rowCount(); ++row) {
        if (grid.FormatText(row, grid.columnOf(QStringLiteral("Name"))) == symbol)
            return row;
    }
    return -1;
}

QString valueIn(EditDc& editor, int row) {
    dc::EditDcGrid& grid = *editor.visibleGrid();
    return row < 0 ? QString() : grid.FormatText(row, grid.columnOf(QStringLiteral("Value")));
}

class Road {
public:
    Road(QApplication& app, MainWindow& window, ScriptedDialogs& dialogs, const QString& signalList)
        : m_app(app)
        , m_window(window)
        , m_dialogs(dialogs)
        , m_signalList(signalList) {}

    // Runs the steps in turn; false at the first that fails, with what it logged.
    bool run();
    const QStringList& checked() const { return m_checked; }

private:
    bool step(const QString& done, bool ok, const QStringList& log) {
        if (!ok) {
            print(QStringLiteral("pxu-dc-road-check: FAILED after: ") +
                      m_checked.join(QStringLiteral(", ")) + QStringLiteral("; not: ") + done,
                  log);
            return false;
        }
        m_checked << done;
        return true;
    }
    bool waitFor(const std::function<bool()>& condition, int ms) {
        QElapsedTimer elapsed;
        elapsed.start();
        while (!condition() && elapsed.elapsed() < ms)
            m_app.processEvents(QEventLoop::AllEvents, 20);
        return condition();
    }
    static bool screenshot(QWidget* window, const QString& name) {
        return window && !saveScreenshot(*window, name).isEmpty();
    }

    bool build();
    bool downloadAndUpload();
    bool reconstruct();
    bool findTheEditedValue();

    QApplication& m_app;
    MainWindow& m_window;
    ScriptedDialogs& m_dialogs;
    const QString m_signalList;
    QStringList m_checked;
};

bool Road::run() {
    return step(QStringLiteral("the spare shows"),
                waitFor([&] { return m_window.selection().applicationRunning(0) == ticked; },
                        60'000),
                m_window.messages().lines()) &&
           build() && downloadAndUpload() && reconstruct() && findTheEditedValue();
}

bool Road::build() {
    const QString folder = m_window.loadFiles().directory();
    m_window.mnuBuildDC_Click();
    DcBuilder& builder = frmDcBuilder();
    if (!step(QStringLiteral("the builder opens"), builder.isLoaded(), m_dialogs.texts()))
        return false;
    const auto saved = [&] {
        return builder.messages().lines().filter(QStringLiteral("Result saved in new DC-Version "));
    };
    // The schema update at opening is saved at once, when the build tab is shown.
    const qsizetype savedAtOpening = saved().size();
    builder.cmdScanHeader_Click();
    if (!step(QStringLiteral("the headers scanned"), saved().size() == savedAtOpening + 1,
              builder.messages().lines()))
        return false;
    m_dialogs.answerFile(g_fullName(folder, m_signalList));
    builder.cmdScanSignalList_Click();
    if (!step(QStringLiteral("the signal list ") + m_signalList + QStringLiteral(" imported"),
              saved().size() == savedAtOpening + 2, builder.messages().lines()))
        return false;

    QString before;
    bool edited = false;
    m_dialogs.whileShown([&] {
        EditDc& editor = frmEditDC();
        const int row = rowOf(editor, kEditedSymbol);
        before = valueIn(editor, row);
        dc::EditDcGrid& grid = *editor.visibleGrid();
        edited = row >= 0 &&
                 grid.editCell(row, grid.columnOf(QStringLiteral("Value")), kEditedValue) &&
                 valueIn(editor, row) == kEditedValue;
    });
    builder.cmdEdit_Click(0);
    if (!step(kEditedSymbol + QStringLiteral(" edited from ") + before + QStringLiteral(" to ") +
                  kEditedValue,
              edited && builder.dcChanged(), m_dialogs.texts()))
        return false;

    builder.tabAction_Click(tabBuild);
    builder.cmdBuild_Click();
    const QStringList log = builder.messages().lines();
    if (!step(QStringLiteral("PXU_DATA.S19 built from ") + builder.chosenDcFile(),
              log.contains(QStringLiteral("   Build S-Rec-file")) &&
                  QFileInfo::exists(g_fullName(folder, QStringLiteral("PXU_DATA.S19"))) &&
                  log.filter(QStringLiteral("cannot been built")).isEmpty(),
              log))
        return false;
    if (!step(QStringLiteral("the builder's screenshot"),
              screenshot(builder.form(), QStringLiteral("dc_road_builder")), {}))
        return false;
    builder.cmdExit_Click();
    return true;
}

// Ticks the "DataCont." box alone.
void tickDataContainerOnly(Selection& selection) {
    for (int box = 0; box < kSectionBoxCount; ++box)
        selection.setSection(box, box == sectionBoxDC ? ticked : unticked);
}

bool Road::downloadAndUpload() {
    Selection& selection = m_window.selection();
    tickDataContainerOnly(selection);
    for (int module = 0; module < kModuleCount; ++module)
        selection.setProgram(module, module == 0 ? ticked : unticked);
    qsizetype from = m_window.messages().count();
    m_window.cmdDownload_Click();
    QStringList log = m_window.messages().lines().mid(from);
    const qsizetype at = log.indexOf(QStringLiteral("   Download DataCont."));
    if (!step(QStringLiteral("downloaded into the spare"),
              at >= 0 && log.mid(at + 1).contains(QStringLiteral("      PXU 0: ok")), log))
        return false;

    // As a user would: the upload once the modules run their application again a while.
    waitFor([] { return false; }, 3000);
    from = m_window.messages().count();
    // The download ticks the application too when the spare's lies elsewhere.
    tickDataContainerOnly(selection);
    QList<int> modules;
    QStringList numbers;
    for (int module = 0; module < kModuleCount; ++module) {
        if (modConnectionStatus::g_getModuleStatus(module) != moduleNotConnected) {
            modules << module;
            numbers << QString::number(module);
        }
    }
    m_window.mnuUploadFromSpare_Click();
    log = m_window.messages().lines().mid(from);
    if (!step(QStringLiteral("uploaded from the spare"),
              log.contains(QStringLiteral("   Upload finished ")) &&
                  QFileInfo::exists(g_fullName(g_uploadDir, QStringLiteral("PXU_DATA.S19"))),
              log))
        return false;
    // The engine can run again: the grid shows each module in its application.
    QStringList states;
    const bool running = waitFor(
        [&] {
            states.clear();
            for (const int module : modules) {
                if (selection.applicationRunning(module) != ticked)
                    states << QStringLiteral("module %1 not in its application").arg(module);
            }
            return states.isEmpty();
        },
        5000);
    return step(QStringLiteral("every module (") + numbers.join(QStringLiteral(", ")) +
                    QStringLiteral(") in its application after the upload"),
                modules.size() > 1 && running, log + states);
}

bool Road::reconstruct() {
    const qsizetype from = m_window.messages().count();
    m_window.mnuCreateTemplate_Click();
    const QStringList log = m_window.messages().lines().mid(from);
    if (!step(QStringLiteral("the template of build 041 made"),
              log.contains(QStringLiteral("DataContainer Template created for Build No: 041")),
              log))
        return false;
    m_window.mnuReconstructDC_Click();
    DcReconstruction& reconstruction = frmDcReconstruction();
    reconstruction.cmdReconstructDC_Click();
    return step(QStringLiteral("the upload reconstructed into ") + reconstruction.view().resultName,
                reconstruction.messages().lines().contains(
                    QStringLiteral("DataContainer reconstruction finished successfully.")),
                reconstruction.messages().lines()) &&
           step(QStringLiteral("the reconstruction's screenshot"),
                screenshot(reconstruction.form(), QStringLiteral("dc_road_reconstruction")), {});
}

bool Road::findTheEditedValue() {
    const QString result = g_fullName(g_uploadDir, frmDcReconstruction().view().resultName);
    QString found;
    QString imported;
    bool shot = false;
    m_dialogs.whileShown([&] {
        EditDc& editor = frmEditDC();
        const int row = rowOf(editor, kEditedSymbol);
        found = valueIn(editor, row);
        imported = valueIn(editor, rowOf(editor, kImportedSymbol));
        if (EditDcForm* form = editor.form(); form && row >= 0) {
            form->tdbDcEnums->selectRow(row);
            form->tdbDcEnums->scrollTo(form->tdbDcEnums->model()->index(row, 0));
            shot = screenshot(form, QStringLiteral("dc_road_editor"));
        }
    });
    frmEditDC().g_showForm(result, QStringLiteral("PARAMETER"));
    return step(kEditedSymbol + QStringLiteral(" = ") + kEditedValue + QStringLiteral(" and ") +
                    kImportedSymbol + QStringLiteral(" = ") + kImportedValue +
                    QStringLiteral(" in the reconstructed database"),
                found == kEditedValue && imported == kImportedValue,
                {kEditedSymbol + QStringLiteral(" = ") + found,
                 kImportedSymbol + QStringLiteral(" = ") + imported}) &&
           step(QStringLiteral("the editor's screenshot"), shot, {});
}

int drive(QApplication& app) {
    ScriptedDialogs dialogs;
    RecordingErrorHandler errors;
    MainWindow window;
    UpdaterFace updater(window);
    DcTools tools(window);
    QStringList arguments = app.arguments().mid(1);
    const bool xls = arguments.removeAll(QStringLiteral("--xls")) > 0;
    window.setArguments(arguments);
    if (!window.Form_Load() || window.programEnded()) {
        print(QStringLiteral("pxu-dc-road-check: the tool ended at its start"), dialogs.texts());
        return 1;
    }
    Road road(app, window, dialogs,
              xls ? QStringLiteral("DORN Update Tool-Signal-List.xls")
                  : QStringLiteral("DORN Update Tool-Signal-List.xlsx"));
    const bool done = road.run();
    print(QStringLiteral("The main window's log:"), window.messages().lines());
    pxu::test::printBoxesAndFailures(dialogs.texts(), errors);
    if (!window.programEnded())
        window.cmdExit_Click();
    if (!done || !errors.reports().isEmpty())
        return 1;
    print(QStringLiteral("pxu-dc-road-check: passed: the data-container road was done to its "
                         "end:"),
          road.checked());
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    return runDriver(argc, argv, drive);
}
