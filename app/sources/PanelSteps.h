#pragma once

#include <QString>
#include <QtGlobal>

class QWidget;
class SelectValueView;
class SelectValueViewDelegate;
struct VolumeObj;

// How the source and destination screens fill their panels. A panel's end is its `diskFrom`: 1 the source,
// 2 the destination.
namespace sources {

// A panel of that end in `placeholder` (which owns it), telling `delegate`, empty; a destination panel takes
// no drops.
SelectValueView* addPanel(QWidget* placeholder, qint32 diskFrom, SelectValueViewDelegate* delegate);
// Empty: the prompts of its end, no close button, the "add" image, the plain background.
void resetPanel(SelectValueView* panel);
// A volume: its name and `sizeText`, the drive image by whether it can be ejected, the close button.
void showVolumeOnPanel(SelectValueView* panel, const VolumeObj& volume, const QString& sizeText);
// A chosen or dropped set: the two lines, the folder image, the close button.
void showSetOnPanel(SelectValueView* panel, const QString& name, const QString& sizeText);
// A destination refused for lack of space: the "add" image on the error background.
void markPanelTooSmall(SelectValueView* panel);

}  // namespace sources
