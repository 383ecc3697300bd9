#pragma once

namespace pxu::dc {

class DcJob;
class PendingAliases;

// What the schema update needs of the window that opened the database: the copy of the
// old plant information into the special symbols, on the update's own job.
class MigrationHost {
public:
    virtual ~MigrationHost() = default;
    // True when a plantInfo row was read and copied.
    virtual bool g_copyPlantInfosToDcEnums(DcJob& job, const PendingAliases& aliases) = 0;
};

} // namespace pxu::dc
