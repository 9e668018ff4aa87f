#include "tests/support/SimMac.h"

#include "simmac/state/CallLog.h"
#include "simmac/state/SimPaths.h"
#include "simmac/tools/FaultList.h"
#include "simmac/tools/SimConfig.h"

#include "platform/PropertyList.h"

#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QProcess>

#include <gtest/gtest.h>

namespace testsupport {
namespace {

QString simctlPath() {
    return buildDir() + QStringLiteral("/simmac/simctl");
}

ToolRun runProcess(const QString& program, const QStringList& args, const QByteArray& input) {
    QProcess process;
    process.start(program, args);
    ToolRun result;
    if (!process.waitForStarted(10000)) {
        return result;
    }
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    if (process.exitStatus() == QProcess::NormalExit && process.state() == QProcess::NotRunning) {
        result.exitCode = process.exitCode();
    }
    return result;
}

QString canonicalTempFolder(const QTemporaryDir& dir) {
    return QFileInfo(dir.path()).canonicalFilePath();
}

}  // namespace

SimMac::SimMac(const QString& preset)
    : root_(canonicalTempFolder(dir_) + QStringLiteral("/mac")),
      toolRootEnv_("TAVRUN_TOOL_ROOT", buildDir() + QStringLiteral("/simroot-tools")),
      simRootEnv_("TAVRUN_SIM_ROOT", root_) {
    simctl({QStringLiteral("init"), root_, QStringLiteral("--preset"), preset});
    setConfig(QStringLiteral("LineDelayMs"), 2);
    setConfig(QStringLiteral("EraseDelayMs"), 16);
    setConfig(QStringLiteral("AsrStepDelayMs"), 2);
}

const QString& SimMac::root() const {
    return root_;
}

QString SimMac::toolRoot() const {
    return buildDir() + QStringLiteral("/simroot-tools");
}

QString SimMac::simctl(const QStringList& args) const {
    const ToolRun result = runProcess(simctlPath(), args, {});
    EXPECT_EQ(result.exitCode, 0) << "simctl " << args.join(QLatin1Char(' ')).toStdString() << ": "
                                  << result.err.toStdString();
    return QString::fromUtf8(result.out);
}

QString SimMac::attach(const QString& devicePreset, const QStringList& options) const {
    return simctl(QStringList{QStringLiteral("attach"), devicePreset} + options).trimmed();
}

void SimMac::detach(const QString& disk, bool unplug) const {
    simctl({QStringLiteral("detach"), disk, unplug ? QStringLiteral("--unplug") : QStringLiteral("--eject")});
}

void SimMac::addFault(const QVariantMap& rule) const {
    EXPECT_TRUE(simmac::FaultList::append(rule));
}

void SimMac::setConfig(const QString& key, const QVariant& value) const {
    EXPECT_TRUE(simmac::SimConfig::set(key, value));
}

QVariantMap SimMac::state() const {
    return platform::PropertyList::dictionaryFromFile(simmac::SimPaths::state()).value_or(QVariantMap());
}

QList<QJsonObject> SimMac::calls() const {
    return simmac::CallLog::readAll();
}

QStringList SimMac::events() const {
    QFile file(host(simmac::SimPaths::events()));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QList<simmac::SimEvent> SimMac::eventRecords(qsizetype from) const {
    return simmac::EventLog::readAll().mid(from);
}

QString SimMac::host(const QString& macPath) const {
    return macPath == QLatin1String("/") ? root_ : root_ + macPath;
}

ToolRun SimMac::run(const QString& macTool, const QStringList& args, const QByteArray& input) const {
    return runProcess(toolRoot() + macTool, args, input);
}

QVariantMap SimMac::info(const QString& device) const {
    const ToolRun result =
        run(QStringLiteral("/usr/sbin/diskutil"), {QStringLiteral("info"), QStringLiteral("-plist"), device});
    return platform::PropertyList::dictionaryFromBytes(result.out).value_or(QVariantMap());
}

QVariantMap SimMac::list() const {
    const ToolRun result =
        run(QStringLiteral("/usr/sbin/diskutil"), {QStringLiteral("list"), QStringLiteral("-plist")});
    return platform::PropertyList::dictionaryFromBytes(result.out).value_or(QVariantMap());
}

QString attachImage(const SimMac& sim, const QString& volumeName) {
    const QString source = QStringLiteral("/tmp/com.Belmora.clone");
    platform::FileSystem::mkpath(source);
    platform::FileSystem::writeAtomically(source + QStringLiteral("/readme.txt"), "image content\n");
    const QString image = QStringLiteral("/Tavrun_dmg/") + volumeName + QStringLiteral(".dmg");
    platform::FileSystem::mkpath(QStringLiteral("/Tavrun_dmg"));
    const ToolRun created = sim.run(QStringLiteral("/usr/bin/hdiutil"),
                                    {"create", image, "-volname", volumeName, "-size", "60000000", "-fs",
                                     "HFS+", "-format", "UDRW", "-srcfolder", source});
    EXPECT_EQ(created.exitCode, 0) << created.err.toStdString();
    const ToolRun attached = sim.run(QStringLiteral("/usr/bin/hdiutil"), {"attach", image});
    EXPECT_EQ(attached.exitCode, 0) << attached.err.toStdString();
    return QString::fromUtf8(attached.out.split('\t').value(0).trimmed()).remove(QStringLiteral("/dev/"));
}

QList<QStringList> toolCalls(const SimMac& sim, const QString& tool) {
    QList<QStringList> calls;
    for (const QJsonObject& call : sim.calls()) {
        if (call.value(QStringLiteral("phase")) == QStringLiteral("start") &&
            call.value(QStringLiteral("tool")) == tool) {
            QStringList argv;
            for (const QJsonValue& arg : call.value(QStringLiteral("argv")).toArray()) {
                argv << arg.toString();
            }
            calls << argv;
        }
    }
    return calls;
}

}  // namespace testsupport
