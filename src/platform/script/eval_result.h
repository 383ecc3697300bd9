#pragma once

#include <QString>
#include <optional>

namespace pxu::script {

// What an evaluation gives: a number, a text (a quoted text, which is no number even when
// its letters read as one), or an error saying what is wrong and where.
struct EvalResult {
    enum class Kind { Number, Text, Error };

    Kind kind = Kind::Error;
    double number = 0;
    // Number: its text (a whole number plainly, any other with at most 15 significant
    // digits); Text: the text without its quotes; Error: empty.
    QString text;
    QString error;

    bool isNumber() const { return kind == Kind::Number; }
    // The number as a 32-bit id, a fraction rounded half to even; nothing for a text, an
    // error or a number outside the 32-bit range.
    std::optional<qint32> id() const;
};

} // namespace pxu::script
