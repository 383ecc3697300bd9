#pragma once

#include "platform/db/database.h"

#include <QString>

namespace pxu::test {

// Another program in the middle of writing a database, for as long as the object lives: its
// transaction holds the file locked for writing and has a journal beside it. Once it writes
// the file itself (a large transaction, or its commit), no one can even read the file.
class OtherWriter {
public:
    enum class Stage { changing, writingTheFile };
    OtherWriter(const QString& database, const QString& sql, Stage stage);
    ~OtherWriter();
    OtherWriter(const OtherWriter&) = delete;
    OtherWriter& operator=(const OtherWriter&) = delete;

private:
    db::Database m_db;
};

} // namespace pxu::test
