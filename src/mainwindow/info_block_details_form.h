#pragma once

#include <QDialog>

class QPushButton;
class QTableView;

namespace pxu {

class InfoBlockDetails;

// The info-block details' window: the module grid and the Exit button.
class InfoBlockDetailsForm : public QDialog {
    Q_OBJECT
public:
    explicit InfoBlockDetailsForm(InfoBlockDetails& owner, QWidget* parent = nullptr);

    QTableView* tdbDetailInfo;
    QPushButton* cmdExit;

protected:
    void reject() override;

private:
    InfoBlockDetails& m_owner;
};

} // namespace pxu
