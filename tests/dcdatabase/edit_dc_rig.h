#pragma once

#include "dc_fixture.h"
#include "dcdatabase/edit_dc.h"
#include "support/scripted_dialogs.h"

#include <QCoreApplication>
#include <functional>

namespace pxu::test {

inline const QString kParameter = QStringLiteral("PARAMETER");
inline const QString kVariable = QStringLiteral("VARIABLE");
inline const QString kAlarm = QStringLiteral("ALARM");

// The table editor on a copy of the sample plant, with scripted boxes: open() shows it and
// runs the test's steps while it is up, as the user would.
struct EditDcRig {
    explicit EditDcRig(const QString& sql = {})
        : file(fixture.samplePlant(QStringLiteral("plant.mdb"), sql)) {}

    // g_showForm's result; body runs while the window is shown.
    bool open(const QString& symbolClass, const std::function<void(EditDc&)>& body = {}) {
        dialogs.whileShown([this, body] {
            if (body)
                body(editor);
            // Refusals are told once the edit is over.
            QCoreApplication::processEvents();
        });
        return editor.g_showForm(file, symbolClass);
    }

    DcFixture fixture;
    ScriptedDialogs dialogs;
    EditDc editor;
    QString file;
};

// The row of a grid that shows the symbol, or -1.
inline int rowOf(const dc::EditDcGrid& grid, const QString& name) {
    const int column = grid.columnOf(QStringLiteral("Name"));
    for (int row = 0; row < grid.rowCount(); ++row) {
        if (grid.FormatText(row, column) == name)
            return row;
    }
    return -1;
}

// A column of the grid, as the grid shows it.
inline QStringList shownColumn(const dc::EditDcGrid& grid, const QString& caption) {
    QStringList texts;
    const int column = grid.columnOf(caption);
    for (int row = 0; row < grid.rowCount(); ++row)
        texts << grid.FormatText(row, column);
    return texts;
}

} // namespace pxu::test
