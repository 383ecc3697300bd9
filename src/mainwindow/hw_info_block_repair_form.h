#pragma once

#include <QWidget>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace pxu {

class HwInfoBlockRepair;

// The "Repair HW InfoBlock" window: shows what its HwInfoBlockRepair holds and hands the
// user's choices and edits back to it.
class HwInfoBlockRepairForm : public QWidget {
    Q_OBJECT
public:
    explicit HwInfoBlockRepairForm(HwInfoBlockRepair& owner, QWidget* parent = nullptr);

    QComboBox* cmbModuleNum;
    QComboBox* CmbHWVersion;
    QLineEdit* txtHWSerial;
    QLineEdit* txtProductionDateWeek;
    QLineEdit* txtProductionDateYear;
    QPushButton* cmdDownload;
    QPushButton* cmdCreateFile;
    QPushButton* cmdExit;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void render();

    HwInfoBlockRepair& m_owner;
    bool m_rendering = false;
};

} // namespace pxu
