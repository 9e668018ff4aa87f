#include "services/disks/ExecCommand.h"

#include "platform/FileSystem.h"
#include "platform/LogCategories.h"
#include "platform/PropertyList.h"
#include "platform/ToolOutputFile.h"
#include "services/disks/DiskUtilCommands.h"

#include <atomic>

namespace {

constexpr std::chrono::milliseconds kDefaultDeadline = std::chrono::minutes(10);
std::atomic<std::chrono::milliseconds::rep> deadlineMs{kDefaultDeadline.count()};

std::optional<QVariantMap> informative(std::optional<QVariantMap> plist) {
    if (plist && disk::DiskUtilCommands::isErrorDocument(*plist)) {
        qCInfo(lcServices) << "diskutil:" << plist->value(QStringLiteral("ErrorMessage")).toString();
        return std::nullopt;
    }
    return plist;
}

std::optional<QVariantMap> runToFile(const platform::ToolCommand& command, const QString& fileName) {
    if (command.program.isEmpty() || fileName.isEmpty() || fileName.contains(u'/')) {
        return std::nullopt;
    }
    const platform::ToolOutputFile output(fileName);
    platform::ToolProcess process(command);
    process.setStandardOutputFile(output.hostPath());
    process.setDeadline(commandDeadline());
    process.run();
    return informative(output.readDictionary());
}

}  // namespace

std::chrono::milliseconds commandDeadline() {
    return std::chrono::milliseconds(deadlineMs.load());
}

void setCommandDeadlineForTesting(std::chrono::milliseconds deadline) {
    deadlineMs.store(deadline.count());
}

std::optional<QVariantMap> KVExecCommand(const platform::ToolCommand& command) {
    return runToFile(command, QStringLiteral("KVTemp.plist"));
}

std::optional<QVariantMap> ExecCommand(const platform::ToolCommand& command) {
    return runToFile(command, QStringLiteral("QivTray.plist"));
}

std::optional<QVariantMap> GetExecCommand(const platform::ToolCommand& command) {
    return runToFile(command, QStringLiteral("QivTray.plist"));
}

std::optional<QVariantMap> execCommand(const platform::ToolCommand& command) {
    return runToFile(command, QStringLiteral("ZorbethanTemp.plist"));
}

std::optional<QVariantMap> AexecCommand(const platform::ToolCommand& command) {
    return runToFile(command, QStringLiteral("AQuenlarTemp.plist"));
}

std::optional<QVariantMap> eraserDiskCommand(const platform::ToolCommand& command) {
    return runToFile(command, QStringLiteral("eraserDiskTemp.plist"));
}

std::optional<QVariantMap> eraserExecCommand(const platform::ToolCommand& command) {
    return runToFile(command, QStringLiteral("eraserVolumeTemp.plist"));
}

std::optional<QVariantMap> aepairExecCommand(const platform::ToolCommand& command) {
    return runToFile(command, QStringLiteral("NexoriaRepairTemp.plist"));
}

std::optional<QVariantMap> changeNameExecCommand(const platform::ToolCommand& command) {
    return runToFile(command, QStringLiteral("NexoriaChangeNameTemp.plist"));
}

std::optional<QVariantMap> ZZDoCommand(const platform::ToolCommand& command, const QString& fileName) {
    return runToFile(command, fileName);
}

std::optional<QVariant> DoCommand(const platform::ToolCommand& command) {
    if (command.program.isEmpty()) {
        return std::nullopt;
    }
    platform::ToolProcess process(command);
    process.setDeadline(commandDeadline());
    const platform::ToolResult result = process.run();
    auto plist = platform::PropertyList::fromBytes(result.output);
    if (plist && plist->typeId() == QMetaType::QVariantMap && !informative(plist->toMap())) {
        return std::nullopt;
    }
    return plist;
}

int KVCheckFolderExist(const QString& path) {
    return !path.isEmpty() && platform::FileSystem::isDirectory(path) ? 1 : 0;
}
