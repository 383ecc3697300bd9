#include "scan_rows.h"

namespace pxu::dc {

namespace {

QString nameKey(const QString& name) {
    return name.toLower();
}

} // namespace

void ScanRows::add(ScanRow row) {
    m_firstByName.emplace(nameKey(row.name), m_rows.size());
    m_rows.push_back(std::move(row));
}

ScanRow* ScanRows::findName(const QString& name) {
    const auto it = m_firstByName.find(nameKey(name));
    return it == m_firstByName.end() ? nullptr : &m_rows[it->second];
}

bool sameClass(const QString& cls, QLatin1String other) {
    return cls.compare(other, Qt::CaseInsensitive) == 0;
}

bool isSymbolClass(const QString& cls) {
    return sameClass(cls, cls::parameter) || sameClass(cls, cls::variable) ||
           sameClass(cls, cls::alarm);
}

QString headerLocation(const ScanRow& row) {
    return QStringLiteral("%1, line %2").arg(row.file).arg(row.line);
}

} // namespace pxu::dc
