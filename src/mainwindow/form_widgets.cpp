#include "form_widgets.h"

#include "core/form_support.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPalette>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <QWidget>

namespace pxu {

void ModelCheckBox::showValue(int value) {
    setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

QColor controlColour(int colour, const QWidget& widget) {
    return controlColour(colour, widget.palette());
}

QColor controlColour(int colour, const QPalette& palette) {
    if (colour == kColourAppWorkspace)
        return palette.color(QPalette::Mid);
    if (colour == kColourWindow)
        return palette.color(QPalette::Base);
    if (quint32(colour) & 0x80000000u)
        return palette.color(QPalette::Button);
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

void setBackColour(QWidget& widget, int colour) {
    QPalette palette = widget.palette();
    const QColor shown = controlColour(colour, widget);
    palette.setColor(QPalette::Window, shown);
    palette.setColor(QPalette::Base, shown);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

GridWindowControls buildGridWindow(QWidget& window, QAbstractItemModel& model,
                                   const char* gridName) {
    auto* grid = named(new QTableView, gridName);
    grid->setModel(&model);
    grid->verticalHeader()->hide();
    grid->setSelectionMode(QAbstractItemView::NoSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->horizontalHeader()->setStretchLastSection(true);
    auto* exit = named(new QPushButton(QStringLiteral("Exit")), "cmdExit");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(exit);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(grid);
    layout->addLayout(buttons);
    return {grid, exit};
}

} // namespace pxu
