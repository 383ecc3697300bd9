#include "compound_file.h"

#include <QtEndian>

namespace pxu::xlsx {

namespace {

const QByteArray kSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
constexpr qsizetype kHeaderSize = 512;
constexpr qsizetype kEntrySize = 128;
constexpr qsizetype kMiniSectorSize = 64;
constexpr int kHeaderFatSectors = 109;
constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kNoEntry = 0xFFFFFFFF;
constexpr int kStream = 2;
constexpr int kRoot = 5;

quint16 u16(const char* at) {
    return qFromLittleEndian<quint16>(at);
}
quint32 u32(const char* at) {
    return qFromLittleEndian<quint32>(at);
}

} // namespace

bool CompoundFile::hasSignature(const QByteArray& head) {
    return head.startsWith(kSignature);
}

bool CompoundFile::open(const QByteArray& bytes) {
    m_bytes = bytes;
    m_fat.clear();
    m_miniFat.clear();
    m_entries.clear();
    m_miniStream.reset();
    m_error.clear();
    if (bytes.size() < kHeaderSize || !hasSignature(bytes))
        return fail(QStringLiteral("it has no compound file header"));
    const char* header = bytes.constData();
    m_majorVersion = u16(header + 0x1A);
    m_sectorShift = u16(header + 0x1E);
    if (u16(header + 0x1C) != 0xFFFE || (m_sectorShift != 9 && m_sectorShift != 12) ||
        u16(header + 0x20) != 6)
        return fail(QStringLiteral("its compound file header is broken"));
    const qsizetype sectorSize = qsizetype(1) << m_sectorShift;
    if (bytes.size() <= sectorSize)
        return fail(QStringLiteral("it holds no sectors"));
    // The header takes the first sector's place; a last sector may be cut short.
    m_sectorCount = quint32((bytes.size() - 1) / sectorSize);
    m_miniCutoff = u32(header + 0x38);
    m_firstMiniFatSector = u32(header + 0x3C);
    return readAllocationTable() && readDirectory(u32(header + 0x30));
}

const char* CompoundFile::wholeSector(quint32 sector) const {
    const qsizetype sectorSize = qsizetype(1) << m_sectorShift;
    const qsizetype at = (qsizetype(sector) + 1) * sectorSize;
    return sector < m_sectorCount && at + sectorSize <= m_bytes.size() ? m_bytes.constData() + at
                                                                       : nullptr;
}

bool CompoundFile::readAllocationTable() {
    const char* header = m_bytes.constData();
    const quint32 fatSectors = u32(header + 0x2C);
    if (fatSectors > m_sectorCount)
        return fail(QStringLiteral("its allocation table is larger than the file"));
    const qsizetype sectorSize = qsizetype(1) << m_sectorShift;
    const quint32 perSector = quint32(sectorSize / 4);

    QList<quint32> fatSectorList;
    for (int i = 0; i < kHeaderFatSectors && quint32(fatSectorList.size()) < fatSectors; ++i)
        fatSectorList.append(u32(header + 0x4C + 4 * i));
    // Further entries stand in a chain of sectors of their own, each ending with the next.
    quint32 next = u32(header + 0x44);
    for (quint32 hops = 0; quint32(fatSectorList.size()) < fatSectors; ++hops) {
        const char* sector = hops < m_sectorCount ? wholeSector(next) : nullptr;
        if (!sector)
            return fail(QStringLiteral("its allocation table is broken"));
        for (quint32 i = 0; i + 1 < perSector && quint32(fatSectorList.size()) < fatSectors; ++i)
            fatSectorList.append(u32(sector + 4 * i));
        next = u32(sector + 4 * (perSector - 1));
    }

    m_fat.reserve(size_t(fatSectors) * perSector);
    for (const quint32 sector : fatSectorList) {
        const char* entries = wholeSector(sector);
        if (!entries)
            return fail(QStringLiteral("its allocation table is broken"));
        for (quint32 i = 0; i < perSector; ++i)
            m_fat.push_back(u32(entries + 4 * i));
    }
    return true;
}

bool CompoundFile::readDirectory(quint32 start) {
    const std::optional<QByteArray> directory = chainBytes(start);
    if (!directory)
        return fail(QStringLiteral("its directory is broken"));
    for (qsizetype at = 0; at + kEntrySize <= directory->size(); at += kEntrySize) {
        const char* raw = directory->constData() + at;
        Entry entry;
        // The name's length counts its closing zero.
        const int nameLength = std::clamp(u16(raw + 64) / 2 - 1, 0, 31);
        for (int i = 0; i < nameLength; ++i)
            entry.name += QChar(u16(raw + 2 * i));
        entry.type = quint8(raw[66]);
        entry.left = u32(raw + 68);
        entry.right = u32(raw + 72);
        entry.child = u32(raw + 76);
        entry.start = u32(raw + 116);
        // Version 3 files may leave garbage in the size's upper half.
        entry.size = m_majorVersion == 3 ? u32(raw + 120) : qFromLittleEndian<quint64>(raw + 120);
        m_entries.push_back(entry);
    }
    if (m_entries.empty() || m_entries[0].type != kRoot)
        return fail(QStringLiteral("its directory has no root"));
    return true;
}

std::optional<QList<quint32>> CompoundFile::chain(const std::vector<quint32>& table, quint32 first,
                                                  quint32 limit) {
    QList<quint32> sectors;
    for (quint32 sector = first; sector != kEndOfChain; sector = table[sector]) {
        if (sector >= table.size() || sector >= limit || size_t(sectors.size()) >= table.size())
            return std::nullopt;
        sectors.append(sector);
    }
    return sectors;
}

std::optional<QByteArray> CompoundFile::chainBytes(quint32 first) {
    const std::optional<QList<quint32>> sectors = chain(m_fat, first, m_sectorCount);
    if (!sectors)
        return std::nullopt;
    const qsizetype sectorSize = qsizetype(1) << m_sectorShift;
    QByteArray data;
    for (const quint32 sector : *sectors)
        data += m_bytes.mid((qsizetype(sector) + 1) * sectorSize, sectorSize);
    return data;
}

std::optional<QByteArray> CompoundFile::readChain(quint32 first, quint64 size) {
    if (size == 0)
        return QByteArray();
    std::optional<QByteArray> data =
        size <= quint64(m_bytes.size()) ? chainBytes(first) : std::nullopt;
    if (!data || quint64(data->size()) < size)
        return std::nullopt;
    data->truncate(qsizetype(size));
    return data;
}

std::optional<QByteArray> CompoundFile::readMiniChain(quint32 first, quint64 size) {
    if (!m_miniStream) {
        // The root entry's stream holds the small streams, in sectors of 64 bytes.
        const std::optional<QByteArray> table =
            m_firstMiniFatSector == kEndOfChain ? QByteArray() : chainBytes(m_firstMiniFatSector);
        m_miniStream = table ? readChain(m_entries[0].start, m_entries[0].size) : std::nullopt;
        if (!m_miniStream)
            return std::nullopt;
        for (qsizetype at = 0; at + 4 <= table->size(); at += 4)
            m_miniFat.push_back(u32(table->constData() + at));
    }
    const quint32 miniSectors = quint32(m_miniStream->size() / kMiniSectorSize);
    const std::optional<QList<quint32>> sectors = chain(m_miniFat, first, miniSectors);
    if (!sectors || quint64(sectors->size()) * kMiniSectorSize < size)
        return std::nullopt;
    QByteArray data;
    for (const quint32 sector : *sectors)
        data += m_miniStream->mid(qsizetype(sector) * kMiniSectorSize, kMiniSectorSize);
    data.truncate(qsizetype(size));
    return data;
}

const CompoundFile::Entry* CompoundFile::find(const QString& name) const {
    // The root's children form a tree through their left and right siblings.
    std::vector<bool> seen(m_entries.size());
    QList<quint32> pending{m_entries.empty() ? kNoEntry : m_entries[0].child};
    while (!pending.isEmpty()) {
        const quint32 id = pending.takeLast();
        if (id >= m_entries.size() || seen[id])
            continue;
        seen[id] = true;
        const Entry& entry = m_entries[id];
        if (entry.type == kStream && entry.name.compare(name, Qt::CaseInsensitive) == 0)
            return &entry;
        pending << entry.left << entry.right;
    }
    return nullptr;
}

bool CompoundFile::contains(const QString& name) const {
    return find(name) != nullptr;
}

std::optional<QByteArray> CompoundFile::stream(const QString& name) {
    const Entry* entry = find(name);
    if (!entry) {
        fail(QStringLiteral("it holds no stream \"%1\"").arg(name));
        return std::nullopt;
    }
    std::optional<QByteArray> data = entry->size < m_miniCutoff
                                         ? readMiniChain(entry->start, entry->size)
                                         : readChain(entry->start, entry->size);
    if (!data)
        fail(QStringLiteral("the sectors of its stream \"%1\" are broken").arg(name));
    return data;
}

bool CompoundFile::fail(const QString& why) {
    m_error = why;
    return false;
}

} // namespace pxu::xlsx
