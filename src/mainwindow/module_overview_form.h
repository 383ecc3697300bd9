#pragma once

#include <QWidget>

class QPushButton;
class QTableView;

namespace pxu {

class ModuleOverview;

// The module overview's window: the grid and the Exit button. A cell clicked opens its
// details; closing the window unloads it.
class ModuleOverviewForm : public QWidget {
    Q_OBJECT
public:
    explicit ModuleOverviewForm(ModuleOverview& owner, QWidget* parent = nullptr);

    QTableView* tdbModuleInfo;
    QPushButton* cmdExit;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void currentCellChanged(const QModelIndex& current);

    ModuleOverview& m_owner;
    bool m_resetting = false;
};

} // namespace pxu
