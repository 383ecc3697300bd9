#include "info_block_details_form.h"

#include "core/form_support.h"
#include "form_widgets.h"
#include "info_block_details.h"

#include <QPushButton>

namespace pxu {

InfoBlockDetailsForm::InfoBlockDetailsForm(InfoBlockDetails& owner, QWidget* parent)
    : QDialog(parent)
    , m_owner(owner) {
    setObjectName(QStringLiteral("frmInfoBlockDetails"));
    setWindowTitle(QStringLiteral("Info Block Details"));
    setModal(true);
    takeMainWindowIcon(*this);

    const GridWindowControls controls = buildGridWindow(*this, owner.grid(), "tdbDetailInfo");
    tdbDetailInfo = controls.grid;
    cmdExit = controls.cmdExit;
    connect(cmdExit, &QPushButton::clicked, this, [this] { m_owner.cmdExit_Click(); });
    resize(360, 520);
}

void InfoBlockDetailsForm::reject() {
    // The close box and Escape close the window as its Exit button does.
    m_owner.cmdExit_Click();
}

} // namespace pxu
