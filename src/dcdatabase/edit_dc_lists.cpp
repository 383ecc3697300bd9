#include "edit_dc_lists.h"

#include "core/globals.h"

#include <QVariant>
#include <array>

namespace pxu::dc {

namespace {

struct VarGroup {
    const char* code;
    const char* name;
};

constexpr std::array<VarGroup, 16> kVarGroups{{
    {"MAS", "Master Standby"},
    {"COM", "Common Miscellaneous"},
    {"COS", "Control Oil System"},
    {"SOS", "Servo Oil System"},
    {"FOS", "Fuel Oil System"},
    {"CYM", "Cylinder Miscellaneous"},
    {"CA", "Crank Angle"},
    {"SV", "Start Valve"},
    {"EXV", "Exhaust Valve"},
    {"FI", "Fuel Injection"},
    {"DBG", "Debug"},
    {"TRA", "Trans. Rec"},
    {"LUB", "Lubrication"},
    {"CAN", "CANopen"},
    {"FI2", "Fuel Inject. 2"},
    {"P15", "Group 15"},
}};

constexpr std::array<VarGroup, 6> kLorxVarGroups{{
    {"INP", "Input"},
    {"OUT", "Output"},
    {"RDO", "Read Output"},
    {"LOR", "Lorin"},
    {"DBG", "Debug"},
    {"LORDBG", "Lorin Debug"},
}};

struct GroupTitle {
    const char* prefix;
    const char* title;
};

constexpr std::array<GroupTitle, 20> kGroupTitles{{
    {"70", ": KALVO"},
    {"070", ": KALVO"},
    {"100", ": General"},
    {"119", ": Additional Signals"},
    {"130", ": COM/CYL-General"},
    {"131", ": COM-General"},
    {"133", ": COM-Miscellaneous"},
    {"135", ": COM-Ctrl Oil System"},
    {"136", ": COM-Servo Oil System"},
    {"137", ": COM-Fuel Oil System"},
    {"138", ": COM-Water Injection"},
    {"139", ": COM-Cyl Lubrication"},
    {"141", ": CYL-General"},
    {"143", ": CYL-Miscellaneous"},
    {"144", ": CYL-CA & Speed"},
    {"145", ": CYL-Start Valves"},
    {"146", ": CYL-Exh. Valves"},
    {"147", ": CYL-Fuel Injection"},
    {"148", ": CYL-Water Injection"},
    {"209", ": CYL-Cyl Lubrication"},
}};

template <std::size_t N>
QString varGroup(const std::array<VarGroup, N>& groups, int number, QString& longName) {
    if (number < 0 || number >= int(N)) {
        longName.clear();
        return {};
    }
    longName = QLatin1String(groups[number].name);
    return QLatin1String(groups[number].code);
}

} // namespace

QString getCrcGroupName(int index) {
    static const QStringList lorx{QStringLiteral("BASIC"), QStringLiteral("NORMAL"),
                                  QStringLiteral("USER"), QStringLiteral("IMO")};
    static const QStringList others{QStringLiteral("BASIC"),  QStringLiteral("USER"),
                                    QStringLiteral("ADJUST"), QStringLiteral("IMO"),
                                    QStringLiteral("GLOBAL"), QStringLiteral("COMMIS")};
    return (g_applType == applTypeLorx ? lorx : others).value(index);
}

QString getVarGroup(int number, QString& longName) {
    if (g_applType == applTypeLorx)
        return varGroup(kLorxVarGroups, number, longName);
    return varGroup(kVarGroups, number, longName);
}

QString fupIdGroupTitle(const QString& prefix) {
    for (const GroupTitle& g : kGroupTitles) {
        if (prefix == QLatin1String(g.prefix))
            return QLatin1String(g.title);
    }
    return QStringLiteral(": Unknown");
}

const ValueList& crcGroupValues() {
    static const ValueList list{
        {0, QStringLiteral("None")},   {1, QStringLiteral("Basic")},
        {2, QStringLiteral("User")},   {3, QStringLiteral("Adjust")},
        {4, QStringLiteral("IMO")},    {5, QStringLiteral("Global")},
        {6, QStringLiteral("Commis")}, {7, QStringLiteral("Lubrication")},
    };
    return list;
}

const ValueList& syncCmdValues() {
    static const ValueList list{
        {-1, QStringLiteral("Not visible")},
        {0, QStringLiteral("No")},
        {1, QStringLiteral("Yes")},
        {2, QStringLiteral("Never")},
        {3, QStringLiteral("Always")},
        {4, QStringLiteral("No / Yes if NewBuild")},
        {5, QStringLiteral("Yes / No if NewBuild")},
        {6, QStringLiteral("Never / Always if NewBuild")},
        {7, QStringLiteral("7")},
    };
    return list;
}

const ValueList& criterionValues() {
    static const ValueList list{
        {0, QStringLiteral("External")},  {1, QStringLiteral("Equal")},
        {2, QStringLiteral("Not Equal")}, {3, QStringLiteral("Greater")},
        {4, QStringLiteral("Lower")},     {5, QStringLiteral("Outside")},
        {6, QStringLiteral("6")},
    };
    return list;
}

QString valueListText(const ValueList& list, const QVariant& stored) {
    bool ok = false;
    const qint64 value = stored.toLongLong(&ok);
    if (ok && !stored.isNull()) {
        for (const ValueListItem& item : list) {
            if (item.value == value)
                return item.text;
        }
    }
    return stored.toString();
}

} // namespace pxu::dc
