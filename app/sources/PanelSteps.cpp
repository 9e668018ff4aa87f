#include "app/sources/PanelSteps.h"

#include "app/sources/SelectValueView.h"
#include "services/disks/VolumeObj.h"
#include "ui-kit/controls/ImageControl.h"
#include "ui-kit/controls/TCImageButton.h"

#include <QLabel>

namespace sources {

namespace {

QString volumeImage(const VolumeObj& volume) {
    return volume.bCanEject ? QStringLiteral("ic_disk_usb") : QStringLiteral("ic_disk_main");
}

void showValue(SelectValueView* panel, const QString& name, const QString& sizeText, const QString& image) {
    panel->nameLabel()->setText(name);
    panel->sizeLabel()->setText(sizeText);
    panel->setIsHaveD(true);
    panel->selectDiskBut()->setImageName(image);
    panel->closeDisk()->show();
    panel->changeBgImageViewWithError(false);
}

}  // namespace

SelectValueView* addPanel(QWidget* placeholder, qint32 diskFrom, SelectValueViewDelegate* delegate) {
    auto* panel = new SelectValueView(placeholder);
    panel->setDiskFrom(diskFrom);
    panel->setDelegate(delegate);
    panel->setIsHaveD(false);
    if (diskFrom != 1) {
        delete panel->dragVie();  // files are dropped on the source only
    }
    resetPanel(panel);
    panel->setOpenIcon();
    return panel;
}

void resetPanel(SelectValueView* panel) {
    const bool source = panel->diskFrom() == 1;
    panel->nameLabel()->setText(source ? QStringLiteral("Click to select a source...")
                                       : QStringLiteral("Click to select a destination..."));
    panel->sizeLabel()->setText(source ? QStringLiteral("No source drive selected")
                                       : QStringLiteral("No destination drive selected"));
    panel->closeDisk()->hide();
    panel->setIsHaveD(false);
    panel->selectDiskBut()->setImageName(QStringLiteral("add"));
    panel->changeBgImageViewWithError(false);
}

void showVolumeOnPanel(SelectValueView* panel, const VolumeObj& volume, const QString& sizeText) {
    showValue(panel, volume.volumeName, sizeText, volumeImage(volume));
}

void showSetOnPanel(SelectValueView* panel, const QString& name, const QString& sizeText) {
    showValue(panel, name, sizeText, QStringLiteral("ic_folder"));
}

void markPanelTooSmall(SelectValueView* panel) {
    panel->selectDiskBut()->setImageName(QStringLiteral("add"));
    panel->changeBgImageViewWithError(true);
}

void markPanelFits(SelectValueView* panel, const VolumeObj& volume) {
    panel->selectDiskBut()->setImageName(volumeImage(volume));
    panel->changeBgImageViewWithError(false);
}

}  // namespace sources
