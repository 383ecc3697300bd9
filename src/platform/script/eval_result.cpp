#include "eval_result.h"

#include "platform/text/number_text.h"

namespace pxu::script {

std::optional<qint32> EvalResult::id() const {
    return kind == Kind::Number ? roundedLong(number) : std::nullopt;
}

} // namespace pxu::script
