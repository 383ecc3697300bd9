#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace pxu::test {

// The three header files of made-up control software, valid C laid out at random: blanks,
// tabs and line ends of both kinds anywhere, one or several members a line, braces on any
// line, tagged and untagged enumerations with and without typedef, comments in every
// place, #define values continued over lines, and constant expressions with each of C's
// integer operators, casts, suffixes, hexadecimal, octal and character constants, and the
// names defined before them. The same seed gives the same files.
struct RandomHeaders {
    QByteArray global;
    QByteArray library;
    QByteArray dataContainer;
};

RandomHeaders randomHeaders(quint64 seed);

} // namespace pxu::test
