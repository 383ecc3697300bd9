#include "scripted_dialogs.h"

namespace pxu::test {

ScriptedDialogs::ScriptedDialogs() {
    setDialogs(this);
}

ScriptedDialogs::~ScriptedDialogs() {
    setDialogs(nullptr);
}

BoxAnswer ScriptedDialogs::messageBox(const BoxRequest& request) {
    m_shown << request;
    if (m_answers.empty())
        return defaultAnswer(request);
    const BoxAnswer next = m_answers.front();
    m_answers.pop_front();
    return next;
}

QStringList ScriptedDialogs::texts() const {
    QStringList result;
    for (const BoxRequest& r : m_shown)
        result << r.text;
    return result;
}

} // namespace pxu::test
