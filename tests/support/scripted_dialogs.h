#pragma once

#include "core/dialog_service.h"

#include <QList>
#include <deque>

namespace pxu::test {

// Answers the program's boxes from a script and records every box shown. Installed for
// its lifetime. A box with no scripted answer gets its default button.
class ScriptedDialogs : public DialogService {
public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;

    void answer(BoxAnswer next) { m_answers.push_back(next); }
    BoxAnswer messageBox(const BoxRequest& request) override;

    const QList<BoxRequest>& shown() const { return m_shown; }
    QStringList texts() const;
    void clear() { m_shown.clear(); }

private:
    std::deque<BoxAnswer> m_answers;
    QList<BoxRequest> m_shown;
};

} // namespace pxu::test
