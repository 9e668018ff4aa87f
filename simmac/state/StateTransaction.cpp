#include "simmac/state/StateTransaction.h"

#include "simmac/ToolExit.h"
#include "simmac/state/SimPaths.h"

#include "platform/FileSystem.h"
#include "platform/PropertyList.h"

#include <QAtomicInteger>

#include <unistd.h>

namespace simmac {
namespace {

std::optional<SimState> load() {
    const auto map = platform::PropertyList::dictionaryFromFile(SimPaths::state());
    return map ? SimState::fromMap(*map) : std::nullopt;
}

QString trashName() {
    static QAtomicInteger<int> counter;
    return SimPaths::trash() + QLatin1Char('/') + QString::number(::getpid()) + QLatin1Char('-') +
           QString::number(counter.fetchAndAddRelaxed(1));
}

}  // namespace

StateTransaction::StateTransaction() : lock_(FileLock::Mode::Exclusive) {
    auto loaded = lock_.held() ? load() : std::nullopt;
    if (!loaded) {
        throw ToolExit{kNoSimulatedMac, QStringLiteral("simmac: cannot read the simulated Mac's state")};
    }
    state_ = std::move(*loaded);
}

void StateTransaction::record(const QString& event, const QString& bsd, const QString& mountPoint,
                              const QString& volumeName, const QString& oldMountPoint) {
    events_.append({state_.nextEventSeq++, event, bsd, mountPoint, volumeName, oldMountPoint});
}

void StateTransaction::discard(const QString& macFolder) {
    if (!platform::FileSystem::exists(macFolder) && !platform::FileSystem::isSymLink(macFolder)) {
        return;
    }
    platform::FileSystem::mkpath(SimPaths::trash());
    const QString aside = trashName();
    trash_.append(platform::FileSystem::rename(macFolder, aside) ? aside : macFolder);
}

void StateTransaction::commit() {
    if (!write(state_) || !EventLog::append(events_)) {
        throw ToolExit{kNoSimulatedMac, QStringLiteral("simmac: cannot write the simulated Mac's state")};
    }
    lock_.release();
    for (const QString& folder : std::as_const(trash_)) {
        platform::FileSystem::remove(folder);
    }
}

std::optional<SimState> StateTransaction::read() {
    const FileLock lock(FileLock::Mode::Shared);
    return lock.held() ? load() : std::nullopt;
}

SimState StateTransaction::current() {
    auto state = read();
    if (!state) {
        throw ToolExit{kNoSimulatedMac, QStringLiteral("simmac: cannot read the simulated Mac's state")};
    }
    return std::move(*state);
}

bool StateTransaction::write(const SimState& state) {
    return platform::PropertyList::writeXmlFile(SimPaths::state(), state.toMap());
}

}  // namespace simmac
