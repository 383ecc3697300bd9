#pragma once

#include "eval_result.h"

#include <QString>

namespace pxu::script {

// Evaluates the constant expressions of C headers after they were rewritten into the script
// language's syntax: decimal and "&H" numbers, a quoted text, + - * / ^, unary signs,
// parentheses. "/" divides without truncating; "^" is a power, left-associative and
// binding tighter than a unary minus (-2^2 is -4); results grow past 16 and 32 bits
// instead of wrapping. Names and operators the language lacks ("&", "|", "%", ">>", "~")
// are errors, not given a meaning.
class ExpressionEvaluator {
public:
    EvalResult evaluate(const QString& expression) const;
};

} // namespace pxu::script
