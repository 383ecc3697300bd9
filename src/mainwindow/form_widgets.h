#pragma once

#include <QCheckBox>
#include <QColor>

class QPalette;
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

// A colour as the controls keep it: blue, green and red bytes, or a system colour
// (&H8000000F, the button face; &H8000000C, the application workspace).
QColor controlColour(int colour, const QWidget& widget);
QColor controlColour(int colour, const QPalette& palette);
void setBackColour(QWidget& widget, int colour);

} // namespace pxu
