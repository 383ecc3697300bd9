#include "core/globals.h"
#include "dcdatabase/edit_dc_lists.h"
#include "dcdatabase/grid_encodings.h"

#include <QtTest>

using namespace pxu;
using namespace pxu::dc;

Q_DECLARE_METATYPE(pxu::dc::EditGrid)

namespace {

constexpr EditGrid kDc = EditGrid::dcEnums;
constexpr EditGrid kAlarm = EditGrid::alarmEnums;
constexpr int kStore = CellEntry::Store;
constexpr int kRefuse = CellEntry::Refuse;
constexpr int kRange = CellEntry::OutOfRange;

} // namespace

class GridEncodingsTest : public QObject {
    Q_OBJECT
private slots:
    void modbusEntryAndDisplay_data();
    void modbusEntryAndDisplay();
    void modbusDisplay_data();
    void modbusDisplay();
    void producerEntries_data();
    void producerEntries();
    void producerTips_data();
    void producerTips();
    void valueListsTranslate_data();
    void valueListsTranslate();
    void groupNamesByApplicationType_data();
    void groupNamesByApplicationType();
};

void GridEncodingsTest::modbusEntryAndDisplay_data() {
    QTest::addColumn<EditGrid>("grid");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("shown");
    // dcEnums, base 30000.
    QTest::newRow("dc register") << kDc << "30005" << kStore << 32773 << "30005";
    QTest::newRow("dc offset") << kDc << "5" << kStore << 32773 << "30005";
    QTest::newRow("dc Cyl+ register") << kDc << "Cyl+30005" << kStore << 5 << "Cyl+30005";
    QTest::newRow("dc cyl+ offset") << kDc << "cyl+5" << kStore << 5 << "Cyl+30005";
    QTest::newRow("dc Cyl+ without number") << kDc << "CYL+" << kStore << 0 << "---";
    QTest::newRow("dc zero is none") << kDc << "0" << kStore << 0 << "---";
    QTest::newRow("dc base is an offset") << kDc << "30000" << kStore << 62768 << "60000";
    QTest::newRow("dc largest offset") << kDc << "62767" << kStore << 65535 << "62767";
    QTest::newRow("dc empty") << kDc << "" << kRefuse << 0 << "";
    QTest::newRow("dc dashes") << kDc << "---" << kRefuse << 0 << "";
    QTest::newRow("dc word") << kDc << "addr" << kRefuse << 0 << "";
    // The offsets that do not fit beside bit 15.
    QTest::newRow("dc base+40000") << kDc << "70000" << kRange << 0 << "";
    QTest::newRow("dc negative") << kDc << "-5" << kRange << 0 << "";
    QTest::newRow("dc offset 32768") << kDc << "62768" << kRange << 0 << "";
    QTest::newRow("dc Cyl+ too far") << kDc << "Cyl+70000" << kRange << 0 << "";
    QTest::newRow("dc Cyl+ negative") << kDc << "Cyl+-3" << kRange << 0 << "";
    // alarmEnums, base 10000.
    QTest::newRow("alarm zero is the base") << kAlarm << "0" << kStore << 32768 << "10000";
    QTest::newRow("alarm empty is none") << kAlarm << "" << kStore << 0 << "---";
    QTest::newRow("alarm register") << kAlarm << "10007" << kStore << 32775 << "10007";
    QTest::newRow("alarm Cyl+") << kAlarm << "Cyl+10007" << kStore << 7 << "Cyl+10007";
    QTest::newRow("alarm word") << kAlarm << "---" << kRefuse << 0 << "";
    QTest::newRow("alarm base+40000") << kAlarm << "50000" << kRange << 0 << "";
    QTest::newRow("alarm negative") << kAlarm << "-5" << kRange << 0 << "";
}

void GridEncodingsTest::modbusEntryAndDisplay() {
    QFETCH(EditGrid, grid);
    QFETCH(QString, entry);
    QFETCH(int, outcome);
    QFETCH(int, stored);
    QFETCH(QString, shown);
    const CellEntry result = modbusEntry(grid, entry);
    QCOMPARE(int(result.outcome), outcome);
    if (outcome != kStore) {
        QVERIFY(!result.value.isValid());
        return;
    }
    QCOMPARE(result.value.toInt(), stored);
    QCOMPARE(modbusText(grid, result.value), shown);
}

void GridEncodingsTest::modbusDisplay_data() {
    QTest::addColumn<EditGrid>("grid");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("none") << kDc << QVariant(0) << "---";
    QTest::newRow("empty cell") << kAlarm << QVariant() << "---";
    QTest::newRow("absolute at the base") << kDc << QVariant(32768) << "30000";
    QTest::newRow("relative") << kAlarm << QVariant(113) << "Cyl+10113";
    QTest::newRow("stored as a real") << kDc << QVariant(32773.0) << "30005";
}

void GridEncodingsTest::modbusDisplay() {
    QFETCH(EditGrid, grid);
    QFETCH(QVariant, stored);
    QFETCH(QString, shown);
    QCOMPARE(modbusText(grid, stored), shown);
}

void GridEncodingsTest::producerEntries_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("bit");
    QTest::addColumn<int>("oldMask");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("stored");
    QTest::newRow("X sets the bit") << "X" << 3 << 0 << kStore << 8;
    QTest::newRow("x sets the bit") << "x" << 3 << 0 << kStore << 8;
    QTest::newRow("1 sets the bit") << "1" << 0 << 8 << kStore << 9;
    QTest::newRow("empty clears the bit") << "" << 3 << 8 << kStore << 0;
    QTest::newRow("0 clears the bit") << "0" << 3 << 12 << kStore << 4;
    QTest::newRow("a number is the whole mask") << "7" << 9 << 0 << kStore << 7;
    QTest::newRow("largest mask") << "32767" << 1 << 0 << kStore << 32767;
    QTest::newRow("negative clears all") << "-1" << 2 << 0x7FFF << kStore << 0;
    QTest::newRow("X in OR sets bit 15") << "X" << 15 << 5 << kStore << 32773;
    QTest::newRow("empty in OR clears bit 15") << "" << 15 << 32773 << kStore << 5;
    QTest::newRow("above 32767") << "32768" << 1 << 0 << kRefuse << 0;
    QTest::newRow("word") << "yes" << 1 << 0 << kRefuse << 0;
    QTest::newRow("fraction") << "0.5" << 1 << 0 << kRefuse << 0;
}

void GridEncodingsTest::producerEntries() {
    QFETCH(QString, entry);
    QFETCH(int, bit);
    QFETCH(int, oldMask);
    QFETCH(int, outcome);
    QFETCH(int, stored);
    const CellEntry result = producerEntry(entry, bit, oldMask);
    QCOMPARE(int(result.outcome), outcome);
    if (outcome == kStore)
        QCOMPARE(result.value.toInt(), stored);
}

void GridEncodingsTest::producerTips_data() {
    QTest::addColumn<EditGrid>("grid");
    QTest::addColumn<int>("bit");
    QTest::addColumn<int>("modbusAddr");
    QTest::addColumn<int>("mask");
    QTest::addColumn<QString>("tip");
    QTest::newRow("alarm OR: register + 15")
        << kAlarm << 2 << 5 << (32768 | 4) << "Modul 2: Modbus-Addr. = 10020";
    QTest::newRow("alarm: register + module")
        << kAlarm << 2 << 5 << 4 << "Modul 2: Modbus-Addr. = 10007";
    QTest::newRow("dc ignores OR")
        << kDc << 2 << 5 << (32768 | 4) << "Modul 2: Modbus-Addr. = 30007";
    QTest::newRow("absolute") << kAlarm << 2 << 32768 << 4 << "Modul 2: Modbus-Addr. = 10000";
    QTest::newRow("module does not produce") << kDc << 1 << 5 << 4 << "Modul 1";
    QTest::newRow("no address") << kDc << 2 << 0 << 4 << "Modul 2";
    QTest::newRow("OR column") << kAlarm << 15 << 5 << 4
                               << "If set all producers are combined with an or-function";
}

void GridEncodingsTest::producerTips() {
    QFETCH(EditGrid, grid);
    QFETCH(int, bit);
    QFETCH(int, modbusAddr);
    QFETCH(int, mask);
    QFETCH(QString, tip);
    QCOMPARE(producerTip(grid, bit, modbusAddr, mask), tip);
    QCOMPARE(modbusTip(kDc), QStringLiteral("30xxx or Cyl+30xxx"));
    QCOMPARE(modbusTip(kAlarm), QStringLiteral("10xxx or Cyl+10xxx"));
}

void GridEncodingsTest::valueListsTranslate_data() {
    QTest::addColumn<QString>("list");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("crcGroup 0") << "crcGroup" << QVariant(0) << "None";
    QTest::newRow("crcGroup 7") << "crcGroup" << QVariant(7) << "Lubrication";
    QTest::newRow("crcGroup 9 not listed") << "crcGroup" << QVariant(9) << "9";
    QTest::newRow("syncCmd -1") << "syncCmd" << QVariant(-1) << "Not visible";
    QTest::newRow("syncCmd 6") << "syncCmd" << QVariant(6) << "Never / Always if NewBuild";
    QTest::newRow("syncCmd 7") << "syncCmd" << QVariant(7) << "7";
    QTest::newRow("criterion 2") << "criterion" << QVariant(2) << "Not Equal";
    QTest::newRow("criterion 6") << "criterion" << QVariant(6) << "6";
    QTest::newRow("criterion empty") << "criterion" << QVariant() << "";
}

void GridEncodingsTest::valueListsTranslate() {
    QFETCH(QString, list);
    QFETCH(QVariant, stored);
    QFETCH(QString, shown);
    const ValueList& values = list == QLatin1String("crcGroup")  ? crcGroupValues()
                              : list == QLatin1String("syncCmd") ? syncCmdValues()
                                                                 : criterionValues();
    QCOMPARE(valueListText(values, stored), shown);
}

void GridEncodingsTest::groupNamesByApplicationType_data() {
    QTest::addColumn<int>("applType");
    QTest::addColumn<QStringList>("crcGroups");
    QTest::addColumn<QStringList>("varGroups"); // code and name of the first and last
    QTest::newRow("ZENT") << int(applTypeZent)
                          << QStringList{"BASIC", "USER", "ADJUST", "IMO", "GLOBAL", "COMMIS"}
                          << QStringList{"MAS", "Master Standby", "P15", "Group 15"};
    QTest::newRow("LORX") << int(applTypeLorx) << QStringList{"BASIC", "NORMAL", "USER", "IMO"}
                          << QStringList{"INP", "Input", "LORDBG", "Lorin Debug"};
}

void GridEncodingsTest::groupNamesByApplicationType() {
    QFETCH(int, applType);
    QFETCH(QStringList, crcGroups);
    QFETCH(QStringList, varGroups);
    const int saved = g_applType;
    g_applType = applType;
    QStringList names;
    for (int i = 0; !getCrcGroupName(i).isEmpty(); ++i)
        names << getCrcGroupName(i);
    QCOMPARE(names, crcGroups);
    QString name;
    const int last = applType == applTypeLorx ? 5 : 15;
    QStringList groups{getVarGroup(0, name)};
    groups << name;
    groups << getVarGroup(last, name);
    groups << name;
    QCOMPARE(groups, varGroups);
    QVERIFY(getVarGroup(last + 1, name).isEmpty());
    QVERIFY(name.isEmpty());
    g_applType = saved;
    QCOMPARE(fupIdGroupTitle(QStringLiteral("070")), QStringLiteral(": KALVO"));
    QCOMPARE(fupIdGroupTitle(QStringLiteral("141")), QStringLiteral(": CYL-General"));
    QCOMPARE(fupIdGroupTitle(QStringLiteral("512")), QStringLiteral(": Unknown"));
}

QTEST_APPLESS_MAIN(GridEncodingsTest)
#include "grid_encodings_test.moc"
