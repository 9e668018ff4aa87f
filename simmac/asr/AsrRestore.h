#pragma once

#include "simmac/state/SimState.h"
#include "simmac/tools/ToolContext.h"

namespace simmac {

// One `asr restore`: validates the target and the source, asks before erasing (unless told not to),
// repartitions when the file systems differ, then copies the source's files onto the target during the
// first of two paced passes ("Restoring" or, onto APFS, "Replicating", then "Verifying") and mounts the
// target under the source's name. The target is marked damaged while it is being written, so a restore
// killed half-way leaves a damaged, partly copied volume, as the real tool does.
class AsrRestore {
public:
    AsrRestore(ToolContext& ctx, QString source, QString target, bool prompt);
    int run();

private:
    void fragment(const QString& text);
    // Ends the restore as a pulled disk does when the source or the target is no longer in `state`: either
    // may be unplugged at any moment, the prompt's wait included.
    void ensurePresent(const SimState& state) const;
    QString validateTarget();
    QString validateSource(const QString& targetId);
    void confirm(const QString& targetId);
    void validateSizes(const QString& sourceId, const QString& targetId);
    QString repartitionIfNeeded(const QString& sourceId, const QString& targetId);
    QString prepareTarget(const QString& sourceId, const QString& targetId);
    void pass(const QString& title, const std::function<void(int step)>& work);
    void remount(const QString& sourceId, const QString& targetId);

    ToolContext& ctx_;
    QString source_;
    QString target_;
    bool prompt_;
    QString sourceId_;  // once validated, with the UUID of the volume it was then
    QString sourceUuid_;
};

}  // namespace simmac
