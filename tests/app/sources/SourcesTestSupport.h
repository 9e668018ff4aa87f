#pragma once

#include "app/sources/DiskListWCDelegate.h"
#include "app/sources/LComboBoxDelegate.h"
#include "app/sources/SelectDiskVCDelegate.h"
#include "app/sources/SelectValueViewDelegate.h"
#include "platform/Dispatch.h"
#include "services/disks/VolumeObj.h"
#include "tests/support/TestEnv.h"
#include "tests/support/kit/KitTestSupport.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

namespace sourcestest {

// Plays the screen for every piece: records what each piece tells it.
struct Screen : SelectDiskVCDelegate, SelectValueViewDelegate, LComboBoxDelegate, DiskListWCDelegate {
    void doSelectDiskWithVolume(const VolumeObj& volume) override {
        chosen.append(volume);
        if (onChosen) {
            onChosen();
        }
    }
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
        doneOnMainThread = platform::isMainThread();
        calls << QStringLiteral("done");
    }

    std::function<void()> onChosen;
    QList<VolumeObj> chosen;
    QStringList calls;
    QWidget* lastControl = nullptr;
    SharedFileNodeList dropped;
    SharedFileNodeList chosenRoots;
    qint64 chosenTotal = -1;
    bool doneOnMainThread = false;
};

using testsupport::waitFor;

// A picture under <build>/screenshots/sources, on the grey a desktop would show round a translucent window.
inline QString screenshot(QWidget* widget, const QString& name) {
    return kittest::saveOnDesktop(widget, name, QStringLiteral("sources"));
}

}  // namespace sourcestest
