#include "services/disks/ExecCommand.h"

#include "platform/FileSystem.h"
#include "platform/LogCategories.h"
#include "platform/PropertyList.h"
#include "platform/TestSettings.h"
#include "platform/ToolOutputFile.h"
#include "services/disks/DiskUtilCommands.h"

#include <algorithm>
#include <atomic>

namespace {

constexpr std::chrono::milliseconds kDefaultDeadline = std::chrono::minutes(10);
constexpr std::chrono::milliseconds kDefaultLookupDeadline = std::chrono::seconds(30);
std::atomic<std::chrono::milliseconds::rep> deadlineMs{kDefaultDeadline.count()};
std::atomic<std::chrono::milliseconds::rep> lookupDeadlineMs{kDefaultLookupDeadline.count()};
const QString kExecCommandFile = QStringLiteral("QivTray.plist");

std::optional<QVariantMap> informative(std::optional<QVariantMap> plist) {
    if (plist && disk::DiskUtilCommands::isErrorDocument(*plist)) {
        qCInfo(lcServices) << "diskutil:" << plist->value(QStringLiteral("ErrorMessage")).toString();
        return std::nullopt;
    }
    return plist;
}

// Without a private folder the output is read from memory: the run still has its effect and its answer.
std::optional<QVariantMap> runToFile(const platform::ToolCommand& command, const QString& fileName,
                                     std::chrono::milliseconds deadline) {
    if (command.program.isEmpty() || fileName.isEmpty() || fileName.contains(u'/')) {
        return std::nullopt;
    }
    const platform::ToolOutputFile output(fileName);
    platform::ToolProcess process(command);
    if (output.isValid()) {
        process.setStandardOutputFile(output.hostPath());
    }
    process.setDeadline(deadline);
    const platform::ToolResult result = process.run();
    return informative(output.isValid() ? output.readDictionary()
                                        : platform::PropertyList::dictionaryFromBytes(result.output));
}

std::optional<QVariantMap> runToFile(const platform::ToolCommand& command, const QString& fileName) {
    return runToFile(command, fileName, disk::deadlineFor(command));
}

}  // namespace

std::chrono::milliseconds commandDeadline() {
    return std::chrono::milliseconds(deadlineMs.load());
}

void setCommandDeadlineForTesting(std::chrono::milliseconds deadline) {
    platform::restoreAfterTest([old = deadlineMs.exchange(deadline.count())] { deadlineMs.store(old); });
}

namespace disk {

std::chrono::milliseconds lookupDeadline() {
    return std::min(std::chrono::milliseconds(lookupDeadlineMs.load()), commandDeadline());
}

void setLookupDeadlineForTesting(std::chrono::milliseconds deadline) {
    platform::restoreAfterTest(
        [old = lookupDeadlineMs.exchange(deadline.count())] { lookupDeadlineMs.store(old); });
}

std::chrono::milliseconds deadlineFor(const platform::ToolCommand& command) {
    return DiskUtilCommands::isLookup(command) ? lookupDeadline() : commandDeadline();
}

std::optional<QVariantMap> lookupWithin(const platform::ToolCommand& command,
                                        std::chrono::milliseconds deadline) {
    return runToFile(command, kExecCommandFile, deadline);
}

}  // namespace disk

std::optional<QVariantMap> KVExecCommand(const platform::ToolCommand& command) {
    return runToFile(command, QStringLiteral("KVTemp.plist"));
}

std::optional<QVariantMap> ExecCommand(const platform::ToolCommand& command) {
    return runToFile(command, kExecCommandFile);
}

std::optional<QVariantMap> GetExecCommand(const platform::ToolCommand& command) {
    return runToFile(command, kExecCommandFile);
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
    process.setDeadline(disk::deadlineFor(command));
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
