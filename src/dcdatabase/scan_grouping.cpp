#include "scan_grouping.h"

#include "core/sprintf.h"
#include "job_failure.h"

#include <algorithm>
#include <unordered_map>

namespace pxu::dc {

namespace {

// More elements than a 16-bit id can count are a mistake in the headers (a missing LAST_
// marker after the array), not an array.
constexpr qint64 kMaxArrayLength = 65536;

QString located(const ScanRow& row) {
    return QStringLiteral("%1 (%2)").arg(row.name, headerLocation(row));
}

std::vector<size_t> sortedIndices(const std::vector<ScanRow>& rows, auto include, auto less) {
    std::vector<size_t> indices;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (include(rows[i]))
            indices.push_back(i);
    }
    std::stable_sort(indices.begin(), indices.end(),
                     [&](size_t a, size_t b) { return less(rows[a], rows[b]); });
    return indices;
}

void applyGroup(std::vector<ScanRow>& rows, const std::vector<size_t>& byId, const ScanRow& first,
                const ScanRow& last) {
    const QString group = first.name.mid(6);
    const qsizetype underscore = group.indexOf(u'_');
    const QString cls = underscore >= 0 ? group.mid(underscore + 1) : group;
    auto it = std::lower_bound(byId.begin(), byId.end(), first.id,
                               [&](size_t i, qint64 id) { return rows[i].id < id; });
    for (; it != byId.end() && rows[*it].id <= last.id; ++it) {
        ScanRow& row = rows[*it];
        if (row.cls != cls::unclassified)
            continue;
        if (underscore >= 0)
            row.varGroup = group.left(underscore);
        row.cls = cls;
    }
}

// The name of element n of an array: TEMP_N, SIG_N_RAW, CYL_00 and P_00_LIM number the
// placeholder, any other name gets "_n" appended.
QString elementName(const QString& name, qint64 n) {
    const QString digits = QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
    const QString inner = u'_' + digits + u'_';
    QString result = name;
    if (name.endsWith(QLatin1String("_N")))
        return name.chopped(1) + digits;
    if (name.contains(QLatin1String("_N_")))
        return result.replace(QLatin1String("_N_"), inner);
    if (name.endsWith(QLatin1String("_00")))
        return name.chopped(2) + digits;
    if (name.contains(QLatin1String("_00_")))
        return result.replace(QLatin1String("_00_"), inner);
    return name + u'_' + digits;
}

bool isArray(const ScanRow& row) {
    const QString comment = row.comment.toString();
    return comment.contains(QLatin1String("* n")) || comment.contains(QLatin1String("* x"));
}

void expandArrays(ScanRows& scan) {
    std::vector<ScanRow>& rows = scan.rows();
    const std::vector<size_t> selection = sortedIndices(
        rows, [](const ScanRow& r) { return !sameClass(r.cls, cls::alarm); },
        [](const ScanRow& a, const ScanRow& b) {
            return a.id != b.id ? a.id < b.id : a.sourceLine < b.sourceLine;
        });
    for (size_t k = 0; k < selection.size(); ++k) {
        if (!isArray(rows[selection[k]]))
            continue;
        const ScanRow array = rows[selection[k]];
        // A #define holds a value, not an id: one that happens to lie near the array must
        // not cut it short. An enumeration member, of whatever class, takes up its id.
        size_t next = k + 1;
        while (next < selection.size() && rows[selection[next]].fromDefine)
            ++next;
        if (next == selection.size())
            failJob(QStringLiteral("%1: the array is the last symbol, so its length is not known")
                        .arg(located(array)));
        const ScanRow& following = rows[selection[next]];
        const qint64 end =
            following.id + (following.name.startsWith(QLatin1String("LAST_")) ? 1 : 0);
        const qint64 count = end - array.id;
        if (count > kMaxArrayLength)
            failJob(QStringLiteral("%1: an array of %2 elements up to %3 is too long")
                        .arg(located(array), QString::number(count), located(following)));
        for (qint64 n = 1; n < count; ++n) {
            ScanRow element = array;
            element.name = elementName(array.name, n);
            element.id = array.id + n;
            scan.add(std::move(element));
        }
    }
}

} // namespace

void failOnSharedIds(const ScanRows& scan) {
    std::unordered_map<QString, std::unordered_map<qint64, const ScanRow*>> seen;
    for (const ScanRow& row : scan.rows()) {
        if (!isSymbolClass(row.cls))
            continue;
        const auto [it, first] = seen[row.cls.toUpper()].emplace(row.id, &row);
        if (!first)
            failJob(QStringLiteral("%1 and %2 are both %3 with the id %4: the modules could not "
                                   "tell them apart")
                        .arg(located(*it->second), located(row), row.cls.toUpper())
                        .arg(row.id));
    }
}

void buildGroup(ScanRows& scan) {
    std::vector<ScanRow>& rows = scan.rows();
    const std::vector<size_t> markers = sortedIndices(
        rows, [](const ScanRow& r) { return sameClass(r.cls, cls::instruction); },
        [](const ScanRow& a, const ScanRow& b) {
            return a.id != b.id ? a.id < b.id : a.name.compare(b.name, Qt::CaseInsensitive) < 0;
        });
    if (markers.empty())
        return;
    const std::vector<size_t> byId = sortedIndices(
        rows, [](const ScanRow&) { return true; },
        [](const ScanRow& a, const ScanRow& b) { return a.id < b.id; });
    for (size_t i = 0; i < markers.size(); i += 2) {
        const ScanRow& first = rows[markers[i]];
        if (i + 1 == markers.size())
            failJob(QStringLiteral("%1: the marker has no partner").arg(located(first)));
        const ScanRow& last = rows[markers[i + 1]];
        if (!first.name.startsWith(QLatin1String("FIRST_")) ||
            !last.name.startsWith(QLatin1String("LAST_")) || first.name.mid(6) != last.name.mid(5))
            failJob(sprintf(QStringLiteral("Error in grouping dc-nums \\n{*} / {*}"), first.name,
                            last.name) +
                    QStringLiteral(" (%1 / %2)").arg(headerLocation(first), headerLocation(last)));
        applyGroup(rows, byId, first, last);
    }
    expandArrays(scan);
}

} // namespace pxu::dc
