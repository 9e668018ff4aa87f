#pragma once

#include "simmac/state/EventLog.h"
#include "simmac/state/FileLock.h"
#include "simmac/state/SimState.h"

#include <QStringList>

namespace simmac {

// One change of the simulated Mac: the exclusive lock, the state read under it, the events the change
// makes and the content it throws away. Nothing is written unless commit() is called; content given to
// discard() is moved aside at once and deleted only after the lock is released, so a long removal never
// holds up other tools. Throws ToolExit when there is no readable state.
class StateTransaction {
public:
    StateTransaction();
    StateTransaction(const StateTransaction&) = delete;
    StateTransaction& operator=(const StateTransaction&) = delete;

    SimState& state() { return state_; }

    void record(const QString& event, const QString& bsd, const QString& mountPoint = {},
                const QString& volumeName = {}, const QString& oldMountPoint = {});
    const QList<SimEvent>& events() const { return events_; }
    void discard(const QString& macFolder);
    // Writes the change and ends the transaction: the lock is released at once, so that what the tool
    // prints or waits for afterwards (a fault's line hook may unplug a disk) never runs under it.
    void commit();

    // The state as it is now, read under the shared lock; nothing when there is no readable state.
    static std::optional<SimState> read();
    // The same, ending the tool (status 70) when there is none.
    static SimState current();
    // Writes the state file; the caller holds the exclusive lock.
    static bool write(const SimState& state);

private:
    FileLock lock_;
    SimState state_;
    QList<SimEvent> events_;
    QStringList trash_;
};

}  // namespace simmac
