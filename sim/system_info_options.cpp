#include "system_info_options.h"

namespace pxu::sim {

bool isSystemInfoOption(const QString& option) {
    return option == QLatin1String("--sys-var") || option == QLatin1String("--sys-info");
}

namespace {

quint16* idOf(const QString& name, SystemInfoIds& ids) {
    const QString n = name.toUpper();
    const std::pair<const char*, quint16*> table[] = {
        {"PAR_CRC_FIRST_APPLICATION", &ids.crcFirstApplication},
        {"PAR_TOT_NO_OF_CYL", &ids.totNoOfCyl},
        {"PAR_AUTO_DOWNLD_ACTIVATE", &ids.autoDownload},
        {"PAR_SWINFO_BUILD", &ids.build},
        {"PAR_SWINFO_DEVELOPER_NO", &ids.developer},
        {"PAR_SWINFO_HULL_NO", &ids.hullNo},
        {"PAR_SWINFO_ENGINE_TYPE", &ids.engineType},
        {"PAR_SWINFO_ENGINE_TYPE_LONG", &ids.engineTypeLong},
        {"GLB_CRC_VALUE_IMO", &ids.crcValueImo},
        {"GLB_CRC_LEN_IMO", &ids.crcLenImo},
        {"GLB_CRC_VALUE_APPLICATION", &ids.crcValueApplication},
        {"GLB_CRC_LEN_APPLICATION", &ids.crcLenApplication},
    };
    for (const auto& [key, id] : table) {
        if (n == QLatin1String(key))
            return id;
    }
    return nullptr;
}

std::optional<quint32> number32(const QString& text) {
    bool ok = false;
    const qulonglong v = text.toULongLong(&ok, 0);
    if (!ok || v > 0xFFFFFFFFull)
        return std::nullopt;
    return quint32(v);
}

bool setValue(const QString& name, const QString& argument, EngineValues& values) {
    if (name == QLatin1String("hull") || name == QLatin1String("engine-type")) {
        const QByteArray text = argument.toLatin1();
        const bool hull = name == QLatin1String("hull");
        if (text.size() > (hull ? 16 : 32))
            return false;
        (hull ? values.hullNumber : values.engineType) = text;
        return true;
    }
    if (name == QLatin1String("appl-crc") || name == QLatin1String("appl-len")) {
        std::optional<quint32>& target =
            name == QLatin1String("appl-crc") ? values.applicationCrc : values.applicationLength;
        if (argument == QLatin1String("stored")) {
            target.reset();
            return true;
        }
        const auto v = number32(argument);
        if (v)
            target = *v;
        return v.has_value();
    }
    const std::pair<const char*, quint32*> numbers[] = {
        {"build", &values.build},
        {"developer", &values.developer},
        {"cylinders", &values.cylinders},
        {"auto-download", &values.autoDownload},
        {"imo-crc", &values.imoCrc},
        {"imo-len", &values.imoLength},
        {"first-appl-crc", &values.firstApplicationCrc},
    };
    for (const auto& [key, field] : numbers) {
        if (name == QLatin1String(key)) {
            const auto v = number32(argument);
            if (v)
                *field = *v;
            return v.has_value();
        }
    }
    return false;
}

} // namespace

std::optional<bool> parseSystemInfoOption(const QString& option, const QString& value,
                                          SystemInfoOptions& into, QString* error) {
    if (!isSystemInfoOption(option))
        return std::nullopt;
    const qsizetype eq = value.indexOf(QLatin1Char('='));
    bool ok = eq > 0;
    if (ok && option == QLatin1String("--sys-var")) {
        quint16* id = idOf(value.left(eq), into.ids);
        const auto v = number32(value.mid(eq + 1));
        ok = id && v && *v <= 0xFFF;
        if (ok)
            *id = quint16(*v);
    } else if (ok) {
        ok = setValue(value.left(eq), value.mid(eq + 1), into.values);
    }
    if (!ok && error)
        *error = QStringLiteral("bad value \"%1\" for %2").arg(value, option);
    return ok;
}

QString systemInfoUsage() {
    return QStringLiteral(
        "System information of the spare module (its application reports it):\n"
        "  --sys-var NAME=ID           variable id (12 bits) of PAR_CRC_FIRST_APPLICATION,\n"
        "                              PAR_TOT_NO_OF_CYL, PAR_AUTO_DOWNLD_ACTIVATE,\n"
        "                              PAR_SWINFO_BUILD, PAR_SWINFO_DEVELOPER_NO,\n"
        "                              PAR_SWINFO_HULL_NO, PAR_SWINFO_ENGINE_TYPE(_LONG),\n"
        "                              GLB_CRC_VALUE_IMO, GLB_CRC_LEN_IMO,\n"
        "                              GLB_CRC_VALUE_APPLICATION, GLB_CRC_LEN_APPLICATION\n"
        "                              (default: the sample configuration's)\n"
        "  --sys-info NAME=VALUE       hull=TEXT (16), engine-type=TEXT (32), build=N,\n"
        "                              developer=N, cylinders=N, auto-download=N,\n"
        "                              imo-crc=N, imo-len=N, first-appl-crc=N,\n"
        "                              appl-crc=N|stored, appl-len=N|stored: the installed\n"
        "                              application's CRC and length; after a download into\n"
        "                              the spare those of the new code are reported\n");
}

} // namespace pxu::sim
