#include "info_block_details_form.h"

#include "core/form_support.h"
#include "info_block_details.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace pxu {

InfoBlockDetailsForm::InfoBlockDetailsForm(InfoBlockDetails& owner, QWidget* parent)
    : QDialog(parent)
    , m_owner(owner) {
    setObjectName(QStringLiteral("frmInfoBlockDetails"));
    setWindowTitle(QStringLiteral("Info Block Details"));
    setModal(true);
    takeMainWindowIcon(*this);

    tdbDetailInfo = new QTableView;
    tdbDetailInfo->setObjectName(QStringLiteral("tdbDetailInfo"));
    tdbDetailInfo->setModel(&owner.grid());
    tdbDetailInfo->verticalHeader()->hide();
    tdbDetailInfo->setSelectionMode(QAbstractItemView::NoSelection);
    tdbDetailInfo->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tdbDetailInfo->horizontalHeader()->setStretchLastSection(true);

    cmdExit = new QPushButton(QStringLiteral("Exit"));
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    connect(cmdExit, &QPushButton::clicked, this, [this] { m_owner.cmdExit_Click(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdExit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tdbDetailInfo);
    layout->addLayout(buttons);
    resize(360, 520);
}

void InfoBlockDetailsForm::reject() {
    // The close box and Escape close the window as its Exit button does.
    m_owner.cmdExit_Click();
}

} // namespace pxu
