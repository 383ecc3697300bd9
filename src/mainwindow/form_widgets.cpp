#include "form_widgets.h"

#include "core/form_support.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPalette>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>
#include <cmath>

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

namespace {

// Readability guidelines ask this much of normal text.
constexpr double kReadableContrast = 4.5;

double luminance(const QColor& colour) {
    const auto linear = [](double c) {
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

} // namespace

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

void keepDisabledTextReadable(QWidget& widget) {
    QPalette palette = widget.palette();
    const QColor base = palette.color(QPalette::Disabled, QPalette::Base);
    const QColor grey = QApplication::palette(&widget).color(QPalette::Disabled, QPalette::Text);
    const QColor dark = palette.color(QPalette::Active, QPalette::Text);
    QColor text = grey;
    for (int step = 1; step <= 10 && contrastRatio(text, base) < kReadableContrast; ++step) {
        const auto towardsDark = [&](double from, double to) {
            return from + (to - from) * step / 10;
        };
        text = QColor::fromRgbF(float(towardsDark(grey.redF(), dark.redF())),
                                float(towardsDark(grey.greenF(), dark.greenF())),
                                float(towardsDark(grey.blueF(), dark.blueF())));
    }
    palette.setColor(QPalette::Disabled, QPalette::Text, text);
    widget.setPalette(palette);
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
