#include "simmac/simctl/SimCtl.h"

#include "simmac/ToolExit.h"
#include "simmac/diskutil/UnmountPolicy.h"
#include "simmac/presets/DevicePreset.h"
#include "simmac/presets/MacPreset.h"
#include "simmac/state/CallLog.h"
#include "simmac/state/DeviceResolver.h"
#include "simmac/state/EventLog.h"
#include "simmac/state/FileSystemType.h"
#include "simmac/state/SimPaths.h"
#include "simmac/state/SizeText.h"
#include "simmac/state/StateTransaction.h"
#include "simmac/state/Topology.h"
#include "simmac/tools/FaultList.h"

#include "platform/FileSystem.h"
#include "platform/PropertyList.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>

#include <cstdio>

namespace simmac {
namespace {

void print(const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

[[noreturn]] void fail(const QString& message) {
    throw ToolExit{1, QStringLiteral("simctl: ") + message};
}

// "--name N" style options after the positional arguments.
QString option(const QStringList& args, const QString& name) {
    const qsizetype at = args.indexOf(name);
    if (at < 0) {
        return {};
    }
    if (at + 1 >= args.size()) {
        fail(name + QStringLiteral(" needs a value"));
    }
    return args.at(at + 1);
}

void requireRoot() {
    if (!SimPaths::rootIsReady()) {
        throw ToolExit{kNoSimulatedMac,
                       QStringLiteral("simctl: TAVRUN_SIM_ROOT does not name a simulated Mac")};
    }
}

// A sim root that already holds a simulated Mac is made anew; any other folder must be empty.
void prepareFolder(const QString& folder) {
    QDir dir(folder);
    if (dir.exists() && !dir.isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (!QFileInfo::exists(folder + QStringLiteral("/.sim/state.plist"))) {
            fail(folder + QStringLiteral(" is not empty"));
        }
        for (const QString& entry :
             dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
            platform::FileSystem::remove(QLatin1Char('/') + entry);
        }
    }
    if (!QDir().mkpath(folder)) {
        fail(QStringLiteral("cannot create ") + folder);
    }
}

int init(const QStringList& args) {
    const qsizetype at = args.indexOf(QStringLiteral("--preset"));
    if (args.size() != 3 || at < 0 || at == 2) {
        fail(QStringLiteral("usage: simctl init <dir> --preset <%1>")
                 .arg(MacPreset::names().join(QLatin1Char('|'))));
    }
    const QString preset = args.at(at + 1);
    QStringList positional = args;
    positional.remove(at, 2);
    if (!MacPreset::names().contains(preset)) {
        fail(QStringLiteral("unknown preset \"%1\" (known: %2)")
                 .arg(preset, MacPreset::names().join(QStringLiteral(", "))));
    }
    const QString folder = QDir::cleanPath(QDir::current().absoluteFilePath(positional.first()));
    qputenv("TAVRUN_SIM_ROOT", QFile::encodeName(folder));
    prepareFolder(folder);
    if (!MacPreset::install(preset)) {
        fail(QStringLiteral("cannot lay out the simulated Mac in ") + folder);
    }
    return 0;
}

DevicePreset::Options attachOptions(const QStringList& args) {
    DevicePreset::Options options;
    options.name = option(args, QStringLiteral("--name"));
    if (const QString size = option(args, QStringLiteral("--size")); !size.isEmpty()) {
        options.size = SizeText::decimal(size).value_or(0);
        if (options.size <= 0) {
            fail(QStringLiteral("not a size: ") + size);
        }
    }
    if (const QString fs = option(args, QStringLiteral("--fs")); !fs.isEmpty()) {
        options.fileSystem = FileSystemType::fromShortName(fs).value_or(QString());
        if (options.fileSystem.isEmpty()) {
            fail(QStringLiteral("unknown file system \"%1\" (exfat, fat32, fat16, hfs, jhfs, apfs)").arg(fs));
        }
    }
    return options;
}

int attach(const QStringList& args) {
    if (args.isEmpty()) {
        fail(QStringLiteral(
            "usage: simctl attach <device-preset|detached diskN> [--name N] [--size S] [--fs F]"));
    }
    requireRoot();
    StateTransaction tx;
    SimState& state = tx.state();
    DetachedDisk entry;
    const auto detached = std::find_if(state.detached.begin(), state.detached.end(),
                                       [&](const DetachedDisk& d) { return d.disk.id() == args.first(); });
    if (detached != state.detached.end()) {
        entry = *detached;
        state.detached.erase(detached);
    } else {
        entry = DevicePreset::make(args.first(), attachOptions(args.mid(1)), state);
    }
    const QString id = Topology(tx).plug(entry);
    tx.commit();
    print(id.toUtf8() + '\n');
    return 0;
}

int detach(const QStringList& args) {
    if (args.isEmpty() || args.size() > 2) {
        fail(QStringLiteral("usage: simctl detach <disk> [--unplug|--eject]"));
    }
    requireRoot();
    const bool eject = args.contains(QStringLiteral("--eject"));
    StateTransaction tx;
    SimState& state = tx.state();
    const auto node = DeviceResolver::resolve(state, args.first());
    if (!node) {
        fail(QStringLiteral("no such disk: ") + args.first());
    }
    const QString diskId = state.physicalDiskOf(*node);
    if (eject) {
        for (const QString& id : UnmountPolicy::volumesOf(state, diskId)) {
            if (const auto dissenter = UnmountPolicy::dissenter(state, *state.node(id).volume)) {
                fail(UnmountPolicy::refusal(diskId, *dissenter).join(QLatin1Char(' ')));
            }
        }
    }
    if (!Topology(tx).unplug(diskId, true)) {
        fail(diskId + QStringLiteral(" holds the root volume and cannot be detached"));
    }
    tx.commit();
    return 0;
}

QVariant parseValue(const QString& text) {
    if (text == QLatin1String("true") || text == QLatin1String("false")) {
        return text == QLatin1String("true");
    }
    bool isNumber = false;
    const qlonglong number = text.toLongLong(&isNumber);
    if (isNumber) {
        return number;
    }
    if (text.startsWith(QLatin1Char('<'))) {
        if (auto value = platform::PropertyList::fromBytes(text.toUtf8())) {
            return *value;
        }
    }
    return text;
}

// Keys whose change would break the link between the inventory and the folders, or its structure.
bool structural(const QString& key) {
    static const QStringList keys{QStringLiteral("DeviceIdentifier"),
                                  QStringLiteral("MountPoint"),
                                  QStringLiteral("VolumeUUID"),
                                  QStringLiteral("Partitions"),
                                  QStringLiteral("APFSVolumes"),
                                  QStringLiteral("APFSPhysicalStore"),
                                  QStringLiteral("Kind"),
                                  QStringLiteral("SnapshotOf"),
                                  QStringLiteral("Extra")};
    return keys.contains(key);
}

template <typename T>
void setKey(T& item, const QString& key, const QVariant& value, const QStringList& optionalKeys) {
    QVariantMap map = item.toMap();
    if (map.contains(key) || optionalKeys.contains(key)) {
        map.insert(key, value);
        item = T::fromMap(map);
    } else {
        QVariantMap extra = map.value(QStringLiteral("Extra")).toMap();
        extra.insert(key, value);
        map.insert(QStringLiteral("Extra"), extra);
        item = T::fromMap(map);
    }
}

int set(const QStringList& args) {
    if (args.size() != 3) {
        fail(QStringLiteral("usage: simctl set <node> <key> <value>"));
    }
    requireRoot();
    const QString& key = args.at(1);
    if (structural(key)) {
        fail(key + QStringLiteral(" cannot be set; mount, unmount or erase instead"));
    }
    StateTransaction tx;
    const auto id = DeviceResolver::resolve(tx.state(), args.first());
    if (!id) {
        fail(QStringLiteral("no such node: ") + args.first());
    }
    const NodeRef node = tx.state().node(*id);
    const QVariant value = parseValue(args.at(2));
    if (node.isWhole()) {
        setKey(*node.disk, key, value,
               {QStringLiteral("RAIDMaster"), QStringLiteral("CoreStorageEncrypted")});
    } else {
        setKey(*node.volume, key, value, {QStringLiteral("DiskUUID")});
    }
    tx.commit();
    return 0;
}

int fault(const QStringList& args) {
    if (args.size() != 2 || args.first() != QLatin1String("add")) {
        fail(QStringLiteral("usage: simctl fault add <plist dictionary>"));
    }
    requireRoot();
    QByteArray text = args.at(1).toUtf8();
    if (!text.trimmed().startsWith("<?xml") && !text.trimmed().startsWith("<plist")) {
        text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\">" + text + "</plist>";
    }
    const auto rule = platform::PropertyList::dictionaryFromBytes(text);
    if (!rule) {
        fail(QStringLiteral("a fault rule is a property-list dictionary"));
    }
    if (!FaultList::append(*rule)) {
        fail(QStringLiteral("cannot write the fault rules"));
    }
    return 0;
}

int printState() {
    requireRoot();
    const SimState state = StateTransaction::current();
    print(platform::PropertyList::toXml(state.toMap()));
    return 0;
}

int printEvents() {
    requireRoot();
    for (const SimEvent& e : EventLog::readAll()) {
        print(QStringList{QString::number(e.seq), e.name, e.bsd, e.mountPoint, e.volumeName, e.oldMountPoint}
                  .join(QLatin1Char('\t'))
                  .toUtf8() +
              '\n');
    }
    return 0;
}

int printCalls() {
    requireRoot();
    for (const QJsonObject& call : CallLog::readAll()) {
        print(QJsonDocument(call).toJson(QJsonDocument::Compact) + '\n');
    }
    return 0;
}

int dispatch(const QStringList& args) {
    const QString command = args.value(0);
    const QStringList rest = args.mid(1);
    if (command == QLatin1String("init")) {
        return init(rest);
    }
    if (command == QLatin1String("attach")) {
        return attach(rest);
    }
    if (command == QLatin1String("detach")) {
        return detach(rest);
    }
    if (command == QLatin1String("set")) {
        return set(rest);
    }
    if (command == QLatin1String("fault")) {
        return fault(rest);
    }
    if (command == QLatin1String("state")) {
        return printState();
    }
    if (command == QLatin1String("events")) {
        return printEvents();
    }
    if (command == QLatin1String("calls")) {
        return printCalls();
    }
    fail(QStringLiteral("usage: simctl init|attach|detach|set|fault|state|events|calls …"));
}

}  // namespace

int SimCtl::run(const QStringList& args) {
    try {
        return dispatch(args);
    } catch (const ToolExit& exit) {
        std::fprintf(stderr, "%s\n", exit.message.toLocal8Bit().constData());
        return exit.status;
    }
}

}  // namespace simmac
