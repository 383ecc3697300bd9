#pragma once

#include <QString>
#include <exception>
#include <initializer_list>

namespace pxu {

// A file that cannot be written (a read-only folder or file, a full disk): an expected
// failure, told in a box that names the file and the reason, never by the error reporter.
class FileWriteFailure : public std::exception {
public:
    FileWriteFailure(QString file, QString reason);
    const QString& file() const { return m_file; }
    const QString& reason() const { return m_reason; }
    // "<file> cannot be written: <reason>."
    QString text() const;
    const char* what() const noexcept override { return m_what.constData(); }

private:
    QString m_file;
    QString m_reason;
    QByteArray m_what;
};

// The text of a file that cannot be written: "<file> cannot be written: <reason>.".
QString cannotBeWritten(const QString& file, const QString& reason);

// The reason of a failed write for the system's error number, in the system's words
// ("Permission denied"); a disk without room (or a quota used up) is "the disk is full".
QString writeFailureReason(int error);

// A failure of the database engine that met one of the files held by another program
// while it writes: thrown as that file's write failure, "<file> cannot be written: another
// program is writing it.".
void throwIfWrittenByAnotherProgram(const QString& failure, std::initializer_list<QString> files);

// Why the file (or, for a file still to be made, its folder) cannot be written, in the
// system's words ("Permission denied", "the disk is full"); empty when it can. It tries a
// small file of its own in the folder, which it removes again.
QString whyNotWritable(const QString& file);

// Why the database engine could not write the database (or the journal it keeps beside
// it), when its failure text says that it could not: "the disk is full", or what
// whyNotWritable finds. Empty for any other failure.
QString whyDatabaseNotWritten(const QString& database, const QString& failure);

} // namespace pxu
