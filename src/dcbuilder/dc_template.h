#pragma once

#include "dcdatabase/message_sink.h"

#include <QString>

namespace pxu {

// The template of a build in the template folder: "DC_Template_Build_{000}.mdb".
QString dcTemplateName(qint64 build);

// The newest data-container database of the project in the folder: the highest version
// number among "<project>*-PXU-DC-???.mdb", else the last by name of "<project>-PXU-DC*.mdb";
// empty when there is none.
QString newestDcDatabase(const QString& folder);

// g_createDCTemplate: the template of the newest data-container database of the project
// folder for its build, in the template folder beside the working folder, for the
// reconstruction of uploaded images. The template holds the database's tables with every
// value that an image carries marked as not yet known. It is made in a temporary file of
// its own and renamed into place (an existing template only after the user's "Yes"); any
// failure ends the creation with a line saying why and leaves no file. The log goes to
// the sink. True when the template was created.
bool g_createDCTemplate(const QString& folder, dc::MessageSink& log);

} // namespace pxu
