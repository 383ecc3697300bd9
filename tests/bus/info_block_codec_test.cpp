// Info blocks as the tool builds and decodes them, byte for byte, and the rules around
// them: section IDs, the bootloader protection, version texts and the number reader.
#include "bus/hardware_info_block.h"
#include "bus/info_block_date.h"
#include "bus/info_block_download.h"
#include "bus/info_block_upload.h"
#include "bus/section_info_block.h"
#include "core/globals.h"
#include "platform/crc/crc.h"
#include "support/scripted_dialogs.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

using namespace pxu;

namespace {

// 64 bytes 00 01 .. 0F repeated; CRC-32 C7785ABA.
QByteArray sampleImage() {
    QByteArray image;
    for (int i = 0; i < 64; ++i)
        image.append(char(i % 16));
    return image;
}

const QDateTime kFileDate(QDate(2025, 10, 3), QTime(12, 0));

// Module-type settings restored after each test.
struct TypeSettings {
    bool kev = g_KEVMode;
    bool toq = g_TOQMode;
    int applType = g_applType;
    ~TypeSettings() {
        g_KEVMode = kev;
        g_TOQMode = toq;
        g_applType = applType;
    }
};

} // namespace

class InfoBlockCodecTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void sectionBlockGoldenBytes();
    void hardwareSectionBlockPutsTailAtItsEnd();
    void blockDateIsEnglishInAnyLocale();
    void idFollowsSectionAndModuleType_data();
    void idFollowsSectionAndModuleType();
    void decoderReadsTailFromFixedOffsets();
    void hardwareBlockRoundTripKeepsTemplateBytes();
    void protectionRefusesBootloaderMemory_data();
    void protectionRefusesBootloaderMemory();
    void versionText_data();
    void versionText();
    void versionNumberIgnoresLocale();
    void byteArrayToLong_data();
    void byteArrayToLong();
    void displayRowOfSection_data();
    void displayRowOfSection();
    void productionDateAsTheOverviewShowsIt_data();
    void productionDateAsTheOverviewShowsIt();

private:
    QString loadFile(const QString& name);
    QTemporaryDir m_dir;
};

void InfoBlockCodecTest::init() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

void InfoBlockCodecTest::cleanup() {
    QLocale::setDefault(QLocale::c());
}

QString InfoBlockCodecTest::loadFile(const QString& name) {
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write("S0030000FC\n") < 0)
        return {};
    file.close();
    if (!file.open(QIODevice::ReadWrite) ||
        !file.setFileTime(kFileDate, QFileDevice::FileModificationTime))
        return {};
    return path;
}

void InfoBlockCodecTest::sectionBlockGoldenBytes() {
    const TypeSettings restore;
    g_KEVMode = g_TOQMode = false;
    const QByteArray block =
        modDownload::buildInfoBlock(4, loadFile("PXU_DATA.S19"), sampleImage(), 0x60000);
    QCOMPARE(block.toHex(), QByteArray("0000002c"               // Size 44
                                       "444154412e533139"       // ID "DATA.S19"
                                       "00000001"               // Version
                                       "4f63742030332032303235" // "Oct 03 2025"
                                       "00"                     //
                                       "00060000"               // Code Start
                                       "00000040"               // Code Length 64
                                       "c7785aba"               // Code Checksum
                                       "16fc0da2"));            // block checksum
}

void InfoBlockCodecTest::hardwareSectionBlockPutsTailAtItsEnd() {
    const TypeSettings restore;
    for (const bool toq : {false, true}) {
        g_TOQMode = toq;
        const QByteArray block =
            modDownload::buildInfoBlock(1, loadFile("TOQ_BL2.S19"), sampleImage(), 0x10100);
        QCOMPARE(block.size(), 312);
        QCOMPARE(block.left(32).toHex(), QByteArray("00000138424c322e5331390000000001"
                                                    "4f637420303320323032350000010100"));
        QCOMPARE(block.mid(32, 268), QByteArray(268, '\0'));
        QCOMPARE(block.mid(296).toHex(), QByteArray("0000000000000040c7785aba85f46bc9"));
    }
}

void InfoBlockCodecTest::blockDateIsEnglishInAnyLocale() {
    const QByteArray block =
        modDownload::buildInfoBlock(7, loadFile("PXU_FPGA.S19"), sampleImage(), 0xD0000);
    QCOMPARE(block.mid(16, 12), QByteArray("Oct 03 2025\0", 12));
    // A file that is not there gives the zero date.
    const QByteArray none =
        modDownload::buildInfoBlock(7, m_dir.filePath("missing.S19"), sampleImage(), 0xD0000);
    QCOMPARE(none.mid(16, 12), QByteArray("Dec 30 1899\0", 12));
}

void InfoBlockCodecTest::idFollowsSectionAndModuleType_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("applType");
    QTest::addColumn<int>("section");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("id");
    QTest::newRow("file name from its fifth character")
        << "PXU" << 0 << 3 << "PXU_BL2_V0312.S19" << QByteArray("BL2_V031");
    QTest::newRow("short remainder is zero-padded")
        << "PXU" << 0 << 3 << "PXU_BL2.S19" << QByteArray("BL2.S19\0", 8);
    QTest::newRow("name of four characters gives zeros")
        << "PXU" << 0 << 4 << "A.DC" << QByteArray(8, '\0');
    QTest::newRow("ZENT application")
        << "PXU" << 0 << 6 << "PXU_APPL.S19" << QByteArray("ZENT\0\0\0\0", 8);
    QTest::newRow("DORN application")
        << "PXU" << 1 << 6 << "PXU_APPL.S19" << QByteArray("DORN\0\0\0\0", 8);
    QTest::newRow("LORX application")
        << "PXU" << 2 << 6 << "PXU_APPL.S19" << QByteArray("LORX\0\0\0\0", 8);
    QTest::newRow("application of type NONE")
        << "PXU" << 3 << 6 << "PXU_APPL.S19" << QByteArray(8, '\0');
    QTest::newRow("application of type KEV")
        << "PXU" << 6 << 6 << "PXU_APPL.S19" << QByteArray(8, '\0');
    QTest::newRow("KEV: every section")
        << "KEV" << 6 << 1 << "KEV_BL2.S19" << QByteArray("KEV20APP");
    QTest::newRow("KEV application") << "KEV" << 6 << 2 << "KEV_APPL.S19" << QByteArray("KEV20APP");
    QTest::newRow("TOQ: from the file")
        << "TOQ" << 7 << 2 << "TOQ_APPL.S19" << QByteArray("APPL.S19");
}

void InfoBlockCodecTest::idFollowsSectionAndModuleType() {
    QFETCH(QString, type);
    QFETCH(int, applType);
    QFETCH(int, section);
    QFETCH(QString, file);
    QFETCH(QByteArray, id);
    const TypeSettings restore;
    g_KEVMode = type == QLatin1String("KEV");
    g_TOQMode = type == QLatin1String("TOQ");
    g_applType = applType;
    const QByteArray block = modDownload::buildInfoBlock(section, loadFile(file), {}, 0x30000);
    QCOMPARE(block.mid(4, 8), id);
}

void InfoBlockCodecTest::decoderReadsTailFromFixedOffsets() {
    const QByteArray block =
        modDownload::buildInfoBlock(4, loadFile("PXU_DATA.S19"), sampleImage(), 0x60000);
    const SectionInfoBlock b = SectionInfoBlock::decode(block);
    QCOMPARE(b.size, 44);
    QCOMPARE(b.id, QByteArray("DATA.S19"));
    QCOMPARE(b.version, 1);
    QCOMPARE(b.date, QByteArray("Oct 03 2025\0", 12));
    QCOMPARE(b.codeStart, 0x60000);
    QCOMPARE(b.codeLength, 64);
    QCOMPARE(quint32(b.codeChecksum), 0xC7785ABAu);
    QCOMPARE(quint32(b.blockChecksum), 0x16FC0DA2u);
    // Encoding what was decoded gives the same bytes.
    QCOMPARE(b.encode(), block);
    // The hardware section's tail is written at its end, read from 32 and 36.
    const SectionInfoBlock hw = SectionInfoBlock::decode(
        modDownload::buildInfoBlock(1, loadFile("PXU_BL2.S19"), sampleImage(), 0x10100));
    QCOMPARE(hw.codeLength, 0);
    QCOMPARE(hw.codeChecksum, 0);
}

void InfoBlockCodecTest::hardwareBlockRoundTripKeepsTemplateBytes() {
    QByteArray base(312, '\0');
    for (int i = 32; i < 308; ++i)
        base[i] = char(i);
    HardwareInfoBlock hw;
    hw.id = "PXU20HW";
    hw.hardwareVersion = 7;
    hw.week = "05";
    hw.year = "26";
    hw.serial = 1234;
    hw.ram = 0x0100;
    hw.flash = 0x0200;
    hw.codeStart = 0x00C0FFEE;
    const QByteArray block = hw.encode(base);
    QCOMPARE(block.left(32).toHex(), QByteArray("000001385058553230485700"
                                                "0000000730353236000004d2"
                                                "0001000200c0ffee"));
    QCOMPARE(block.mid(32, 276), base.mid(32, 276));
    const HardwareInfoBlock back = HardwareInfoBlock::decode(block);
    QCOMPARE(back.ram, quint16(0x0100));
    QCOMPARE(back.flash, quint16(0x0200));
    QCOMPARE(back.serial, 1234);
    QCOMPARE(back.weekNumber(), quint16(0x3035));
    QCOMPARE(back.encode(block), block);
    QCOMPARE(quint32(back.checksum), quint32(CrcCalculation32(block.constData(), 308, 0)));
}

void InfoBlockCodecTest::protectionRefusesBootloaderMemory_data() {
    QTest::addColumn<int>("section");
    QTest::addColumn<int>("start");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("box");
    const QString bl1 =
        QStringLiteral("Download cancelled because start address is within Bootloader1 memory.");
    const QString bl2 = QStringLiteral("Download cancelled because start address is within "
                                       "Bootloader2 memory and section is not Bootloader2.");
    QTest::newRow("below BL1, even BL2") << 3 << 0x100FF << false << bl1;
    QTest::newRow("at BL1 limit, BL2") << 3 << 0x10100 << true << QString();
    QTest::newRow("at BL1 limit, DC") << 4 << 0x10100 << false << bl2;
    QTest::newRow("below BL2 limit, application") << 6 << 0x2FFFF << false << bl2;
    QTest::newRow("at BL2 limit, application") << 6 << 0x30000 << true << QString();
}

void InfoBlockCodecTest::protectionRefusesBootloaderMemory() {
    QFETCH(int, section);
    QFETCH(int, start);
    QFETCH(bool, ok);
    QFETCH(QString, box);
    g_addrProtectionBL1 = 0x10100;
    g_addrProtectionBL2 = 0x30000;
    test::ScriptedDialogs dialogs;
    QCOMPARE(modDownload::checkInfoBlock(section, start), ok);
    QCOMPARE(dialogs.texts(), box.isEmpty() ? QStringList() : QStringList{box});
    if (!box.isEmpty())
        QCOMPARE(dialogs.shown().constFirst().title, QStringLiteral("ERROR"));
}

void InfoBlockCodecTest::versionText_data() {
    QTest::addColumn<int>("section");
    QTest::addColumn<QByteArray>("versionBytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("BL1 0x310") << 2 << QByteArray::fromHex("00000310") << "3.10";
    QTest::newRow("BL1 two digits") << 2 << QByteArray::fromHex("00000042") << ".42";
    QTest::newRow("BL1 one digit") << 2 << QByteArray::fromHex("00000005") << ".05";
    QTest::newRow("BL1 hex letters") << 2 << QByteArray::fromHex("00000A1F") << "A.1F";
    QTest::newRow("BL2 3.12") << 3 << QByteArray::fromHex("030C0000") << "3.12";
    QTest::newRow("BL2 4.00") << 3 << QByteArray::fromHex("04000000") << "4.00";
    QTest::newRow("BL2 minor 5") << 3 << QByteArray::fromHex("0A050000") << "10.05";
    QTest::newRow("BL2 byte 12 zero") << 3 << QByteArray::fromHex("0000030C") << "780";
    QTest::newRow("hardware") << 1 << QByteArray::fromHex("00000007") << "7";
    QTest::newRow("application, negative") << 6 << QByteArray::fromHex("FFFFFFFE") << "-2";
}

void InfoBlockCodecTest::versionText() {
    QFETCH(int, section);
    QFETCH(QByteArray, versionBytes);
    QFETCH(QString, text);
    QByteArray block(44, '\0');
    block.replace(12, 4, versionBytes);
    QCOMPARE(modUpload::buildVersionStr(section, block), text);
}

void InfoBlockCodecTest::versionNumberIgnoresLocale() {
    QCOMPARE(modUpload::versionNumber(QStringLiteral("3.12")), 3.12);
    QVERIFY(modUpload::versionNumber(QStringLiteral("3.12")) < 4.0);
    QCOMPARE(modUpload::versionNumber(QString()), 0.0);
}

void InfoBlockCodecTest::byteArrayToLong_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("value");
    QTest::newRow("all ones") << QByteArray::fromHex("FFFFFFFF") << 0 << -1;
    QTest::newRow("lowest") << QByteArray::fromHex("80000000") << 0 << int(0x80000000);
    QTest::newRow("highest") << QByteArray::fromHex("7FFFFFFF") << 0 << 0x7FFFFFFF;
    QTest::newRow("at an index") << QByteArray::fromHex("AA00030000BB") << 1 << 0x30000;
}

void InfoBlockCodecTest::byteArrayToLong() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, index);
    QFETCH(int, value);
    QCOMPARE(modUpload::g_byteArrayToLong(bytes, index), value);
}

void InfoBlockCodecTest::displayRowOfSection_data() {
    QTest::addColumn<int>("section");
    QTest::addColumn<int>("row");
    const int rows[][2] = {{6, 0}, {4, 1}, {7, 2}, {3, 3}, {2, 4}, {1, 5}, {5, 0}, {0, 0}, {9, 0}};
    for (const auto& r : rows)
        QTest::addRow("section %d", r[0]) << r[0] << r[1];
}

void InfoBlockCodecTest::displayRowOfSection() {
    QFETCH(int, section);
    QFETCH(int, row);
    QCOMPARE(int(modUpload::getDisplayIndex(section)), row);
}

void InfoBlockCodecTest::productionDateAsTheOverviewShowsIt_data() {
    QTest::addColumn<QByteArray>("weekAndYear"); // bytes 16 to 19
    QTest::addColumn<QString>("text");
    QTest::newRow("digits, as the repair writes them") << QByteArray("0526") << "05 / 2026";
    QTest::newRow("digits 79") << QByteArray("5279") << "52 / 2079";
    QTest::newRow("digits 80") << QByteArray("0180") << "01 / 1980";
    QTest::newRow("one digit of week") << QByteArray("5\0"
                                                     "10",
                                                     4)
                                       << "05 / 2010";
    QTest::newRow("numbers") << QByteArray::fromHex("000507DA") << "5 / 2010";
    QTest::newRow("digits of week 53") << QByteArray("5326") << "13619 / 12854";
    QTest::newRow("digits of week 0") << QByteArray("0026") << "12336 / 12854";
    QTest::newRow("one digit of year") << QByteArray("05\0"
                                                     "6",
                                                     4)
                                       << "12341 / 54";
    QTest::newRow("erased") << QByteArray::fromHex("FFFFFFFF") << "65535 / 65535";
}

void InfoBlockCodecTest::productionDateAsTheOverviewShowsIt() {
    QFETCH(QByteArray, weekAndYear);
    QByteArray block(312, '\0');
    block.replace(16, 4, weekAndYear);
    QTEST(productionDateText(block), "text");
}

QTEST_MAIN(InfoBlockCodecTest)
#include "info_block_codec_test.moc"
