#pragma once

#include <QCheckBox>
#include <QColor>

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

// A colour as the controls keep it: blue, green and red bytes, or a system colour
// (&H8000000F, the button face).
QColor controlColour(int colour, const QWidget& widget);
void setBackColour(QWidget& widget, int colour);

} // namespace pxu
