#include "edit_dc_form.h"

#include "core/form_support.h"
#include "edit_dc.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <QResizeEvent>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolTip>

namespace pxu {

namespace {

// The window's borders beside its client area, in twips.
constexpr int kWindowBorderTwips = 120;
// Where the controls sit, in twips: the option frames above the grid.
constexpr int kLeft = 105;
constexpr int kTopBarTop = 45;
constexpr int kTopBarHeight = 540;
constexpr int kGridTop = 600;

constexpr int pixelsToTwips(int pixels) {
    return pixels * 15;
}

// Drop-down lists for the columns that have one; text entry for the others.
class ValueListDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        const dc::ValueList* list = valueList(index);
        if (!list)
            return QStyledItemDelegate::createEditor(parent, option, index);
        auto* box = new QComboBox(parent);
        for (const dc::ValueListItem& item : *list)
            box->addItem(item.text, item.value);
        return box;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            // An empty cell (or one the list cannot show) offers no item: leaving it
            // without a choice stores nothing.
            const QVariant stored = index.data(Qt::EditRole);
            bool number = false;
            const int value = stored.toInt(&number);
            box->setCurrentIndex(stored.isNull() || !number ? -1 : box->findData(value));
        } else {
            QStyledItemDelegate::setEditorData(editor, index);
        }
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            if (box->currentIndex() >= 0)
                model->setData(index, box->currentData(), Qt::EditRole);
        } else {
            QStyledItemDelegate::setModelData(editor, model, index);
        }
    }

private:
    static const dc::ValueList* valueList(const QModelIndex& index) {
        const auto* grid = qobject_cast<const dc::EditDcGrid*>(index.model());
        return grid ? grid->column(index.column()).list : nullptr;
    }
};

QFrame* frame(QWidget* parent) {
    auto* f = new QFrame(parent);
    f->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QHBoxLayout(f);
    layout->setContentsMargins(6, 2, 6, 2);
    return f;
}

} // namespace

EditDcForm::EditDcForm(EditDc& owner, QWidget* parent)
    : QDialog(parent)
    , m_owner(owner) {
    setObjectName(QStringLiteral("frmEditDC"));
    setWindowTitle(QStringLiteral("Edit DataContainer"));
    setSizeGripEnabled(true);
    takeMainWindowIcon(*this); // Form_Load

    m_top = new QWidget(this);
    auto* top = new QHBoxLayout(m_top);
    top->setContentsMargins(0, 0, 0, 0);
    static const char* const varCaptions[] = {"Min/Max", "Access Levels", "Modbus-Config.",
                                              "Producer", "Sync-Cmd"};
    static const char* const logCaptions[] = {"Miscellaneous", "Producer",  "Signal Name",
                                              "On Delay",      "Off Delay", "OnOff Delay"};
    for (int i = 0; i < 2; ++i) {
        fraGridType[i] = frame(m_top);
        fraGridType[i]->setObjectName(QStringLiteral("fraGridType%1").arg(i));
        top->addWidget(fraGridType[i]);
    }
    addOptions(optShowVarCol, varCaptions, fraGridType[0], "optShowVarCol",
               &EditDc::optShowVarCol_Click);
    lblParaGroup = named(new QLabel(QStringLiteral("Group:"), fraGridType[0]), "lblParaGroup");
    cboCrcGroup = named(new QComboBox(fraGridType[0]), "cboCrcGroup");
    cboCrcGroup->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    fraGridType[0]->layout()->addWidget(lblParaGroup);
    fraGridType[0]->layout()->addWidget(cboCrcGroup);
    connect(cboCrcGroup, &QComboBox::activated, this,
            [this](int index) { m_owner.cboCrcGroup_Click(index); });
    addOptions(optShowLogCol, logCaptions, fraGridType[1], "optShowLogCol",
               &EditDc::optShowLogCol_Click);
    chkNewLine = named(new QCheckBox(QStringLiteral("Show Only New"), m_top), "chkNewLine");
    top->addWidget(chkNewLine);
    top->addStretch();
    connect(chkNewLine, &QCheckBox::clicked, this,
            [this](bool checked) { m_owner.chkNewLine_Click(checked); });

    tdbDcEnums = makeGrid(owner.tdbDcEnums(), "tdbDcEnums");
    tdbAlarmEnums = makeGrid(owner.tdbAlarmEnums(), "tdbAlarmEnums");

    connect(&owner, &EditDc::changed, this, &EditDcForm::showView);
    showView();
    resize(twips(16800), twips(8000));
}

template <std::size_t N>
void EditDcForm::addOptions(std::array<QRadioButton*, N>& options, const char* const* captions,
                            QFrame* frame, const char* name, void (EditDc::*click)(int)) {
    for (int i = 0; i < int(N); ++i) {
        options[i] = new QRadioButton(QLatin1String(captions[i]), frame);
        options[i]->setObjectName(QLatin1String(name) + QString::number(i));
        frame->layout()->addWidget(options[i]);
        connect(options[i], &QRadioButton::clicked, this,
                [this, click, i] { (m_owner.*click)(i); });
    }
}

QTableView* EditDcForm::makeGrid(dc::EditDcGrid& grid, const char* name) {
    auto* view = named(new QTableView(this), name);
    view->setModel(&grid);
    view->setItemDelegate(new ValueListDelegate(view));
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->verticalHeader()->setMinimumWidth(twips(300));
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed);
    view->setWordWrap(false);
    view->horizontalHeader()->setSectionsClickable(true);
    view->horizontalHeader()->setHighlightSections(false);
    connect(view->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { m_owner.HeadClick(column); });
    // Tips come from the grid, after the pointer rested on a cell.
    view->viewport()->setMouseTracking(true);
    view->viewport()->installEventFilter(this);
    connect(&grid, &dc::EditDcGrid::tipShown, view,
            [view](const QString& text) { QToolTip::showText(QCursor::pos(), text, view); });
    connect(&grid, &dc::EditDcGrid::tipHidden, view, [] { QToolTip::hideText(); });
    connect(&grid, &dc::EditDcGrid::columnsChanged, view,
            [this, view, &grid] { showColumns(view, grid); });
    showColumns(view, grid);
    return view;
}

bool EditDcForm::eventFilter(QObject* watched, QEvent* event) {
    for (QTableView* view : {tdbDcEnums, tdbAlarmEnums}) {
        if (!view || watched != view->viewport())
            continue;
        auto& grid = static_cast<dc::EditDcGrid&>(*view->model());
        if (event->type() == QEvent::MouseMove) {
            const QModelIndex at =
                view->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint());
            grid.hoverCell(at.isValid() ? at.row() : -1, at.isValid() ? at.column() : -1);
        } else if (event->type() == QEvent::Leave) {
            grid.hoverCell(-1, -1);
        } else if (event->type() == QEvent::ToolTip) {
            return true; // the grid's own tips only
        }
    }
    return QDialog::eventFilter(watched, event);
}

void EditDcForm::showColumns(QTableView* view, const dc::EditDcGrid& grid) {
    for (int i = 0; i < grid.columns().size(); ++i) {
        const dc::GridColumn& c = grid.column(i);
        view->setColumnHidden(i, !c.visible);
        if (c.visible)
            view->setColumnWidth(i, twips(c.width));
    }
}

void EditDcForm::showView() {
    const EditDcView& v = m_owner.view();
    for (int i = 0; i < 2; ++i)
        fraGridType[i]->setVisible(v.fraGridType[i]);
    for (int i = 0; i < 5; ++i) {
        optShowVarCol[i]->setVisible(v.optShowVarColVisible[i]);
        optShowVarCol[i]->setChecked(v.optShowVarCol == i);
    }
    for (int i = 0; i < 6; ++i) {
        optShowLogCol[i]->setVisible(v.optShowLogColVisible[i]);
        optShowLogCol[i]->setChecked(v.optShowLogCol == i);
    }
    {
        const QSignalBlocker blocker(cboCrcGroup);
        QStringList items;
        for (int i = 0; i < cboCrcGroup->count(); ++i)
            items << cboCrcGroup->itemText(i);
        if (items != v.cboCrcGroup) {
            cboCrcGroup->clear();
            cboCrcGroup->addItems(v.cboCrcGroup);
        }
        cboCrcGroup->setCurrentIndex(v.cboCrcGroupIndex);
    }
    chkNewLine->setChecked(v.chkNewLine);
    tdbDcEnums->setVisible(v.tdbDcEnums);
    tdbAlarmEnums->setVisible(v.tdbAlarmEnums);
    placeControls();
}

void EditDcForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    placeControls();
}

void EditDcForm::placeControls() {
    // Form_Resize works on the window's outer size.
    const EditDcGridPlacement place = EditDc::Form_Resize(
        pixelsToTwips(width()) + kWindowBorderTwips, pixelsToTwips(height()) + kWindowFrameTwips);
    const int height = twips(place.windowHeight - kWindowFrameTwips);
    if (height > this->height())
        resize(width(), height);
    m_top->setGeometry(twips(kLeft), twips(kTopBarTop), twips(place.gridWidth),
                       twips(kTopBarHeight));
    const QRect grid(twips(kLeft), twips(kGridTop), twips(place.gridWidth),
                     twips(place.gridHeight));
    tdbDcEnums->setGeometry(grid);
    tdbAlarmEnums->setGeometry(grid);
}

void EditDcForm::reject() {
    // The close box and Escape close the window.
    m_owner.unload();
}

} // namespace pxu
