#pragma once

#include "simmac/state/SimState.h"

#include <QSet>
#include <QString>
#include <QStringList>

namespace simmac {

// The folder that holds a volume's files, with what does not belong to the volume left out. For the root
// volume that is "/" without "/Volumes", "/.sim", "/tmp", the content of "/System/Volumes" and the mount
// points of other volumes. Links are never followed.
class ContentFolder {
public:
    ContentFolder(QString macFolder, QSet<QString> skipped);
    static ContentFolder of(const SimState& state, const Volume& volume);

    const QString& path() const { return folder_; }
    // Apparent size of the regular files below the folder.
    qint64 fileBytes() const;
    // What a copy of the content consists of, as paths relative to the folder: whole entries where nothing
    // inside them is left out, folders to recreate empty (ending in "/") where something is.
    QStringList copyUnits() const;
    // Copies one unit into the same relative place below `targetFolder`.
    bool copyUnit(const QString& unit, const QString& targetFolder) const;

private:
    bool isSkipped(const QString& macPath) const;
    bool holdsSkipped(const QString& macPath) const;

    QString folder_;
    QSet<QString> skipped_;
};

}  // namespace simmac
