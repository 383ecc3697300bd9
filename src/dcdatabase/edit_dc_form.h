#pragma once

#include <QDialog>
#include <array>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QRadioButton;
class QTableView;
class QWidget;

namespace pxu {

class EditDc;
namespace dc {
class EditDcGrid;
}

// The table editor's window: the two frames of column-set options with the group box, the
// "Show Only New" check box and the two grids, of which the editor shows one.
class EditDcForm : public QDialog {
    Q_OBJECT
public:
    explicit EditDcForm(EditDc& owner, QWidget* parent = nullptr);

    std::array<QFrame*, 2> fraGridType;
    std::array<QRadioButton*, 5> optShowVarCol;
    std::array<QRadioButton*, 6> optShowLogCol;
    QLabel* lblParaGroup;
    QComboBox* cboCrcGroup;
    QCheckBox* chkNewLine;
    QTableView* tdbDcEnums = nullptr;
    QTableView* tdbAlarmEnums = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

private:
    // An array of option buttons in a frame; a click goes to the editor's handler.
    template <std::size_t N>
    void addOptions(std::array<QRadioButton*, N>& options, const char* const* captions,
                    QFrame* frame, const char* name, void (EditDc::*click)(int));
    QTableView* makeGrid(dc::EditDcGrid& grid, const char* name);
    void showView();
    void showColumns(QTableView* view, const dc::EditDcGrid& grid);
    void placeControls();

    EditDc& m_owner;
    QWidget* m_top;
};

} // namespace pxu
