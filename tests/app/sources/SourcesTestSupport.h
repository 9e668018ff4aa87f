#pragma once

#include "app/sources/DiskListWCDelegate.h"
#include "app/sources/LComboBoxDelegate.h"
#include "app/sources/SelectDiskVCDelegate.h"
#include "app/sources/SelectValueViewDelegate.h"
#include "services/disks/VolumeObj.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

namespace sourcestest {

// Plays the screen for every piece: records what each piece tells it.
struct Screen : SelectDiskVCDelegate, SelectValueViewDelegate, LComboBoxDelegate, DiskListWCDelegate {
    void doSelectDiskWithVolume(const VolumeObj& volume) override { chosen.append(volume); }
    void selectDiskButton(qint32 diskFrom, QWidget* control) override {
        calls << QStringLiteral("select %1").arg(diskFrom);
        lastControl = control;
    }
    void closeDiskValue(qint32 diskFrom) override { calls << QStringLiteral("close %1").arg(diskFrom); }
    void viewDragAction(const SharedFileNodeList& roots) override {
        calls << QStringLiteral("drop");
        dropped = roots;
    }
    void selectFileButtonAction(QObject* /*sender*/) override { calls << QStringLiteral("file button"); }
    void showSelectAllVC() override { calls << QStringLiteral("open chooser"); }
    void doShowSearchView() override { calls << QStringLiteral("search"); }
    void changeSelectCopyType() override { calls << QStringLiteral("all files"); }
    void closeWindowWithSelect(const SharedFileNodeList& roots, qint64 total) override {
        chosenRoots = roots;
        chosenTotal = total;
        calls << QStringLiteral("done");
    }

    QList<VolumeObj> chosen;
    QStringList calls;
    QWidget* lastControl = nullptr;
    SharedFileNodeList dropped;
    SharedFileNodeList chosenRoots;
    qint64 chosenTotal = -1;
};

// Serves the event loop until `done`; false after the time-out.
bool waitFor(const std::function<bool()>& done, int timeoutMs = 60000);

// A picture under <build>/screenshots/sources, on the grey a desktop would show round a translucent window.
QString screenshot(QWidget* widget, const QString& name);

}  // namespace sourcestest
