#pragma once

#include <QCheckBox>
#include <QColor>

class QAbstractItemModel;
class QPalette;
class QPushButton;
class QTableView;
class QWidget;

namespace pxu {

// A check box that shows its model's value only: a click asks the model, which decides
// the next value (a grey "All" box becomes ticked, not cycled through grey).
class ModelCheckBox : public QCheckBox {
    Q_OBJECT
public:
    using QCheckBox::QCheckBox;
    void showValue(int value);

protected:
    void nextCheckState() override {}
};

// The system colour of the application workspace, darker than the button face.
constexpr int kColourAppWorkspace = int(0x8000000C);
// The system colour of window backgrounds: that of an editable text box.
constexpr int kColourWindow = int(0x80000005);

// A colour as the controls keep it: blue, green and red bytes, or a system colour
// (&H8000000F, the button face; &H8000000C, the application workspace; &H80000005, the
// window background).
QColor controlColour(int colour, const QWidget& widget);
QColor controlColour(int colour, const QPalette& palette);
void setBackColour(QWidget& widget, int colour);
// The contrast of two colours as readability guidelines measure it: 1 (none) to 21 (black
// on white).
double contrastRatio(const QColor& a, const QColor& b);
// The text of a disabled box that keeps a back colour of its own, made as much darker than
// the usual grey as it takes to stay readable on it.
void keepDisabledTextReadable(QWidget& widget);

// The controls of a window that shows a grid: a read-only table on the model, without
// row captions, and the Exit button beneath it on the right.
struct GridWindowControls {
    QTableView* grid;
    QPushButton* cmdExit;
};
GridWindowControls buildGridWindow(QWidget& window, QAbstractItemModel& model,
                                   const char* gridName);

} // namespace pxu
