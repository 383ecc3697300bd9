#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>
#include <vector>

namespace pxu::xlsx {

// A compound file, the container of legacy binary workbooks (and of encrypted new ones),
// read from its bytes. Only the streams of its root storage are found, by name in any
// letter case.
class CompoundFile {
public:
    // The first bytes of every compound file.
    static bool hasSignature(const QByteArray& head);

    // False when the bytes are no intact compound file; error() then says why.
    bool open(const QByteArray& bytes);
    bool contains(const QString& name) const;
    // The whole stream; nothing when it is missing or its sectors are broken (error() says).
    std::optional<QByteArray> stream(const QString& name);
    QString error() const { return m_error; }

private:
    struct Entry {
        QString name;
        int type = 0;
        quint32 left = 0;
        quint32 right = 0;
        quint32 child = 0;
        quint32 start = 0;
        quint64 size = 0;
    };

    // A sector that lies whole in the file; nullptr for any other.
    const char* wholeSector(quint32 sector) const;
    bool readAllocationTable();
    bool readDirectory(quint32 start);
    // The sectors of a chain, from its first; nothing when it leaves the table or loops.
    std::optional<QList<quint32>> chain(const std::vector<quint32>& table, quint32 first,
                                        quint32 limit);
    // The bytes of a chain of sectors; nothing when the chain is broken.
    std::optional<QByteArray> chainBytes(quint32 first);
    // A stream's bytes, nothing when its chain is broken or too short for its size.
    std::optional<QByteArray> readChain(quint32 first, quint64 size);
    std::optional<QByteArray> readMiniChain(quint32 first, quint64 size);
    const Entry* find(const QString& name) const;
    bool fail(const QString& why);

    QByteArray m_bytes;
    int m_sectorShift = 9;
    int m_majorVersion = 3;
    quint32 m_sectorCount = 0;
    quint32 m_miniCutoff = 4096;
    quint32 m_firstMiniFatSector = 0;
    std::vector<quint32> m_fat;
    std::vector<quint32> m_miniFat;
    std::vector<Entry> m_entries;
    std::optional<QByteArray> m_miniStream;
    QString m_error;
};

} // namespace pxu::xlsx
