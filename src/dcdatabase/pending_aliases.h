#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <optional>

namespace pxu::dc {

// Symbol aliases that a job enters into the configuration database. The configuration is
// another file, outside the job's transaction: the pairs are written only once the job has
// committed, and until then the job's own look-ups find them here.
class PendingAliases {
public:
    // Notes the pair unless the configuration has the alias already.
    void add(const QString& alias, const QString& symbol);
    std::optional<QString> symbolOf(const QString& alias) const;
    // Enters the noted pairs into the configuration.
    void writeToConfiguration() const;

private:
    QList<QPair<QString, QString>> m_pairs;
};

} // namespace pxu::dc
