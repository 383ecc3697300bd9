#pragma once

#include "core/desktop.h"

#include <QList>
#include <QUrl>

namespace pxu::test {

// Records what the program hands to the desktop instead of opening it. Installed for its
// lifetime; succeeds unless told otherwise.
class RecordingDesktop {
public:
    struct Start {
        QString program;
        QStringList arguments;
    };
    RecordingDesktop() {
        setUrlOpener([this](const QUrl& url) {
            m_urls << url;
            return m_succeeds;
        });
        setProgramStarter([this](const QString& program, const QStringList& arguments) {
            m_starts << Start{program, arguments};
            return m_succeeds;
        });
    }
    ~RecordingDesktop() {
        setUrlOpener({});
        setProgramStarter({});
    }
    RecordingDesktop(const RecordingDesktop&) = delete;
    RecordingDesktop& operator=(const RecordingDesktop&) = delete;

    void setSucceeds(bool succeeds) { m_succeeds = succeeds; }
    const QList<QUrl>& urls() const { return m_urls; }
    const QList<Start>& starts() const { return m_starts; }

private:
    bool m_succeeds = true;
    QList<QUrl> m_urls;
    QList<Start> m_starts;
};

} // namespace pxu::test
