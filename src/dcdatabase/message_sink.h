#pragma once

#include <QString>

namespace pxu::dc {

// Where a job's log and progress go: the window that runs the job (the builder, the
// reconstruction) lends itself to the code it calls.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    // Appends the text, one list line per piece between carriage returns.
    virtual void addMessage(const QString& text) = 0;
    // The progress as a fraction 0 to 1; relative adds the value to the current one.
    virtual void updateProgress(double value, bool relative = false) = 0;
    // A long step that neither logs nor moves the progress for a while says it is still at
    // work, so that the window showing the job can paint meanwhile.
    virtual void stillWorking() {}
};

} // namespace pxu::dc
