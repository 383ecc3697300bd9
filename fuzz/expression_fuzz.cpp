// Feeds arbitrary text to the expression evaluator. Besides memory errors it checks that
// every outcome is one of the three kinds, complete, and that a number's text reads back.
#include "platform/script/expression_evaluator.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

using namespace pxu::script;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString expression =
        QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size));
    const EvalResult result = ExpressionEvaluator().evaluate(expression);
    switch (result.kind) {
    case EvalResult::Kind::Number: {
        bool ok = false;
        const double back = result.text.toDouble(&ok);
        if (!std::isfinite(result.number) || !ok ||
            std::fabs(back - result.number) > 1e-14 * std::fabs(result.number))
            std::abort();
        break;
    }
    case EvalResult::Kind::Text:
        if (!result.error.isEmpty())
            std::abort();
        break;
    case EvalResult::Kind::Error:
        if (result.error.isEmpty())
            std::abort();
        break;
    }
    return 0;
}
