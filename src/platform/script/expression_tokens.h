#pragma once

#include <QList>
#include <QString>
#include <QStringView>

namespace pxu::script {

struct Token {
    enum class Type { Number, Text, Plus, Minus, Times, Divide, Power, Open, Close, End, Invalid };

    Type type = Type::End;
    double number = 0;
    QString text;     // Text: without its quotes; Invalid: what is wrong
    QString source;   // as written
    int position = 0; // of the first character, from 1
};

// The tokens of an expression, ending with End or with the first Invalid token. Numbers
// are decimal (fractions and exponents too) or "&H" hexadecimal, typed by their value as
// the script language types them: up to FFFF a 16-bit and up to FFFFFFFF a 32-bit signed
// number. Blanks and tabs separate tokens.
QList<Token> tokenize(QStringView expression);

} // namespace pxu::script
