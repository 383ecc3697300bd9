#include "command_line.h"

namespace pxu::sim {

QString usageText() {
    QString text = QStringLiteral(
        "Usage: pxu-sim --channel PLUGIN:INTERFACE [group options] [--channel ...]\n"
        "\n"
        "Simulates the modules 0 to 14 of one CAN bus on each channel, for example\n"
        "  pxu-sim --channel virtualcan:tcp://127.0.0.1:35468/can0 --bus M \\\n"
        "          --modules 0-6 --state application\n"
        "Prints \"ready\" on its own line once every channel is connected. Ends on SIGTERM,\n"
        "SIGINT or when its standard input closes. Durations are scaled by PXU_TIME_SCALE.\n"
        "\n"
        "Group options (after the --channel they belong to):\n"
        "  --bus S|M|KEV|TOQ|LORIN     node ids and module type (default S)\n"
        "  --modules LIST              the modules the next --state sets (default 0-14)\n"
        "  --state off|bootloader|application\n"
        "                              mode of those modules; modules never set stay off\n"
        "Module settings; VALUE@LIST limits one to some modules (default: all):\n"
        "  --device-name TEXT          object 0x1008 of the application\n"
        "  --hardware-version TEXT     object 0x1009 (default 7)\n"
        "  --bootloader-version TEXT   object 0x100A of the bootloader (default 3.10)\n"
        "  --application-version TEXT  object 0x100A of the application (default 1.00)\n"
        "  --heartbeat MS              heartbeat period (default 1000, 0 none)\n"
        "  --answer-delay US           SDO answer delay (default 200)\n"
        "  --switch-delay MS           program-control write to boot-up (default 100)\n"
        "  --flash-time MS             loading status 127 lasts this long (default 1000)\n"
        "  --flash-done 255|0          loading status after flash programming (default 255)\n"
        "  --hw-block-time MS          a hardware info block shows status 127 this long (default "
        "0)\n"
        "  --fault NAME[=VALUE][@LIST] fault switches:\n"
        "        silent                  answers and sends nothing\n"
        "        no-heartbeat            answers SDO, sends no heartbeat\n"
        "        abort-on-block=N        aborts the N-th data block of a download\n"
        "        abort-times=N           ... of the next N downloads only (default all)\n"
        "        abort-code=CODE         abort code for that (default 0x08000020)\n"
        "        slow=MS                 every SDO answer MS later\n"
        "        bad-crc                 the data check after the last block fails\n"
        "        status-stuck            loading status stays at 127\n"
        "        data-status=N           loading status N after the last block\n"
        "        data-status-times=N     ... of the next N downloads only (default all)\n"
        "        status-read-aborts=N    the next N reads of the loading status are aborted\n"
        "        disappear-after=N       switched off after N data blocks (once)\n"
        "        old-bootloader-heartbeat  the bootloader also beats from node 0x71\n"
        "        short-block-ack         block downloads are acknowledged a segment short\n"
        "Other options:\n"
        "  --no-stdin                  keep running when standard input closes\n"
        "  --help                      this text\n");
    const QString others = QStringLiteral("Other options:\n");
    return text.replace(others, autoDownloadUsage() + systemInfoUsage() + others);
}

QList<int> parseModuleList(const QString& text) {
    QList<int> modules;
    for (const QString& part : text.split(QLatin1Char(','))) {
        const QStringList range = part.split(QLatin1Char('-'));
        bool okFirst = false;
        bool okLast = false;
        const int first = range.value(0).trimmed().toInt(&okFirst);
        const int last = range.size() == 2 ? range[1].trimmed().toInt(&okLast) : first;
        if (range.size() == 1)
            okLast = okFirst;
        if (range.size() > 2 || !okFirst || !okLast || first < 0 || last >= kModuleCount ||
            first > last)
            return {};
        for (int m = first; m <= last; ++m) {
            if (!modules.contains(m))
                modules << m;
        }
    }
    return modules;
}

void ChannelOptions::applyEdits(Bus& target) const {
    for (const ModuleEdit& edit : edits) {
        for (int m : edit.modules)
            edit.apply(target.module(m));
    }
}

void ChannelOptions::applyModes(Bus& target) const {
    for (const ModeChoice& choice : modes) {
        for (int m : choice.modules)
            target.module(m).setMode(choice.mode);
    }
}

namespace {

QList<int> allModules() {
    QList<int> all;
    for (int m = 0; m < kModuleCount; ++m)
        all << m;
    return all;
}

// Splits VALUE@LIST; without a valid list after the last '@' the whole text is the value.
std::pair<QString, QList<int>> valueAndModules(const QString& text) {
    const qsizetype at = text.lastIndexOf(QLatin1Char('@'));
    if (at >= 0) {
        const QList<int> modules = parseModuleList(text.mid(at + 1));
        if (!modules.isEmpty())
            return {text.left(at), modules};
    }
    return {text, allModules()};
}

std::optional<qint64> number(const QString& text) {
    bool ok = false;
    const qint64 value = text.toLongLong(&ok, 0);
    if (!ok || value < 0)
        return std::nullopt;
    return value;
}

using Apply = std::function<void(Module&)>;

std::optional<Apply> faultEdit(const QString& name, const QString& value) {
    const auto n = number(value);
    if (name == QLatin1String("silent"))
        return Apply([](Module& m) { m.faults().silent = true; });
    if (name == QLatin1String("no-heartbeat"))
        return Apply([](Module& m) { m.faults().noHeartbeat = true; });
    if (name == QLatin1String("bad-crc"))
        return Apply([](Module& m) { m.faults().badCrc = true; });
    if (name == QLatin1String("status-stuck"))
        return Apply([](Module& m) { m.faults().statusStuck = true; });
    if (name == QLatin1String("old-bootloader-heartbeat"))
        return Apply([](Module& m) { m.faults().oldBootloaderHeartbeat = true; });
    if (name == QLatin1String("short-block-ack"))
        return Apply([](Module& m) { m.faults().shortBlockAcknowledge = true; });
    if (!n)
        return std::nullopt;
    if (name == QLatin1String("abort-on-block"))
        return Apply([v = int(*n)](Module& m) { m.faults().abortOnBlock = v; });
    if (name == QLatin1String("abort-times"))
        return Apply([v = int(*n)](Module& m) { m.faults().abortTimes = v; });
    if (name == QLatin1String("abort-code"))
        return Apply([v = quint32(*n)](Module& m) { m.faults().abortCode = v; });
    if (name == QLatin1String("slow"))
        return Apply([v = *n](Module& m) { m.faults().slowAnswerUs = v * 1000; });
    if (name == QLatin1String("data-status"))
        return Apply([v = int(*n & 0xFF)](Module& m) { m.faults().dataStatus = v; });
    if (name == QLatin1String("data-status-times"))
        return Apply([v = int(*n)](Module& m) { m.faults().dataStatusTimes = v; });
    if (name == QLatin1String("status-read-aborts"))
        return Apply([v = int(*n)](Module& m) { m.faults().statusReadAborts = v; });
    if (name == QLatin1String("disappear-after"))
        return Apply([v = int(*n)](Module& m) { m.faults().disappearAfterBlocks = v; });
    return std::nullopt;
}

std::optional<Apply> settingEdit(const QString& option, const QString& value) {
    const QByteArray text = value.toLatin1();
    if (option == QLatin1String("--device-name"))
        return Apply([text](Module& m) { m.config().deviceName = text; });
    if (option == QLatin1String("--hardware-version"))
        return Apply([text](Module& m) { m.config().hardwareVersion = text; });
    if (option == QLatin1String("--bootloader-version"))
        return Apply([text](Module& m) { m.config().bootloaderVersion = text; });
    if (option == QLatin1String("--application-version"))
        return Apply([text](Module& m) { m.config().applicationVersion = text; });
    const auto n = number(value);
    if (!n)
        return std::nullopt;
    if (option == QLatin1String("--heartbeat") && *n <= 0xFFFF)
        return Apply([v = quint16(*n)](Module& m) { m.config().heartbeatMs = v; });
    if (option == QLatin1String("--answer-delay"))
        return Apply([v = *n](Module& m) { m.config().answerDelayUs = v; });
    if (option == QLatin1String("--switch-delay"))
        return Apply([v = *n](Module& m) { m.config().modeSwitchDelayUs = v * 1000; });
    if (option == QLatin1String("--flash-time"))
        return Apply([v = *n](Module& m) { m.config().flashProgrammingUs = v * 1000; });
    if (option == QLatin1String("--flash-done") && (*n == 0 || *n == 255))
        return Apply([v = quint8(*n)](Module& m) { m.config().flashDoneStatus = v; });
    if (option == QLatin1String("--hw-block-time"))
        return Apply([v = *n](Module& m) { m.config().hardwareBlockProgrammingUs = v * 1000; });
    return std::nullopt;
}

const QStringList kSettingOptions{
    QStringLiteral("--device-name"),        QStringLiteral("--hardware-version"),
    QStringLiteral("--bootloader-version"), QStringLiteral("--application-version"),
    QStringLiteral("--heartbeat"),          QStringLiteral("--answer-delay"),
    QStringLiteral("--switch-delay"),       QStringLiteral("--flash-time"),
    QStringLiteral("--flash-done"),         QStringLiteral("--hw-block-time"),
};

} // namespace

std::optional<CommandLine> parseCommandLine(const QStringList& arguments, QString* error) {
    CommandLine result;
    QList<int> selected = allModules();
    const auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return std::nullopt;
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& option = arguments[i];
        if (option == QLatin1String("--help") || option == QLatin1String("-h")) {
            result.help = true;
            continue;
        }
        if (option == QLatin1String("--no-stdin")) {
            result.watchStdin = false;
            continue;
        }
        static const QStringList kGroupOptions{
            QStringLiteral("--channel"), QStringLiteral("--bus"), QStringLiteral("--modules"),
            QStringLiteral("--state"), QStringLiteral("--fault")};
        if (!kGroupOptions.contains(option) && !kSettingOptions.contains(option) &&
            !isAutoDownloadOption(option) && !isSystemInfoOption(option))
            return fail(QStringLiteral("unknown option %1").arg(option));
        if (i + 1 >= arguments.size())
            return fail(QStringLiteral("%1 needs a value").arg(option));
        const QString value = arguments[++i];
        if (option == QLatin1String("--channel")) {
            result.channels.push_back({});
            result.channels.back().channel = value;
            selected = allModules();
            continue;
        }
        if (result.channels.empty())
            return fail(QStringLiteral("%1 before the first --channel").arg(option));
        ChannelOptions& group = result.channels.back();
        if (option == QLatin1String("--bus")) {
            const auto kind = busKindFromText(value);
            if (!kind)
                return fail(QStringLiteral("unknown bus \"%1\"").arg(value));
            group.bus = *kind;
        } else if (option == QLatin1String("--modules")) {
            selected = parseModuleList(value);
            if (selected.isEmpty())
                return fail(QStringLiteral("bad module list \"%1\"").arg(value));
        } else if (option == QLatin1String("--state")) {
            const QString v = value.toLower();
            Mode mode = Mode::Off;
            if (v == QLatin1String("application"))
                mode = Mode::Application;
            else if (v == QLatin1String("bootloader"))
                mode = Mode::Bootloader;
            else if (v != QLatin1String("off"))
                return fail(QStringLiteral("unknown state \"%1\"").arg(value));
            group.modes.push_back({selected, mode});
        } else if (option == QLatin1String("--fault")) {
            const auto [faultText, modules] = valueAndModules(value);
            const qsizetype eq = faultText.indexOf(QLatin1Char('='));
            const auto edit =
                faultEdit(faultText.left(eq), eq < 0 ? QString() : faultText.mid(eq + 1));
            if (!edit)
                return fail(QStringLiteral("bad fault \"%1\"").arg(value));
            group.edits.push_back({modules, *edit});
        } else if (const auto taken =
                       parseAutoDownloadOption(option, value, group.autoDownload, error)) {
            if (!*taken)
                return std::nullopt;
        } else if (const auto taken =
                       parseSystemInfoOption(option, value, group.systemInfo, error)) {
            if (!*taken)
                return std::nullopt;
        } else if (kSettingOptions.contains(option)) {
            const auto [text, modules] = valueAndModules(value);
            const auto edit = settingEdit(option, text);
            if (!edit)
                return fail(QStringLiteral("bad value \"%1\" for %2").arg(value, option));
            group.edits.push_back({modules, *edit});
        }
    }
    if (result.channels.empty() && !result.help)
        return fail(QStringLiteral("no --channel given"));
    return result;
}

} // namespace pxu::sim
