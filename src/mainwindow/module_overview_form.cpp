#include "module_overview_form.h"

#include "core/form_support.h"
#include "form_widgets.h"
#include "module_overview.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>

namespace pxu {

ModuleOverviewForm::ModuleOverviewForm(ModuleOverview& owner, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_owner(owner) {
    setObjectName(QStringLiteral("frmModuleOverview"));
    setWindowTitle(QStringLiteral("Module Overview"));
    takeMainWindowIcon(*this);

    const GridWindowControls controls = buildGridWindow(*this, owner.grid(), "tdbModuleInfo");
    tdbModuleInfo = controls.grid;
    cmdExit = controls.cmdExit;
    tdbModuleInfo->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    connect(tdbModuleInfo->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { currentCellChanged(current); });
    connect(cmdExit, &QPushButton::clicked, this, [this] { m_owner.cmdExit_Click(); });
    resize(1100, 300);
}

void ModuleOverviewForm::currentCellChanged(const QModelIndex& current) {
    if (m_resetting || !current.isValid())
        return;
    m_owner.tdbModuleInfo_RowColChange(current.row(), current.column());
    // The grid goes back to its first cell, so the same cell opens again on its next click.
    m_resetting = true;
    tdbModuleInfo->setCurrentIndex(tdbModuleInfo->model()->index(0, 0));
    m_resetting = false;
}

void ModuleOverviewForm::closeEvent(QCloseEvent* event) {
    event->accept();
    m_owner.Form_Unload();
}

} // namespace pxu
