#pragma once

#include "app/sources/SelectAllFileVCDelegate.h"

#include <QObject>
#include <QPointF>
#include <QPointer>

#include <chrono>
#include <memory>

class LComboBox;
class RPAAttachedWindow;
class SelectAllFilePopVC;

namespace sources {

// The screens' side of the copy-type chooser, the same on the Copy Disk and Create Disk Image screens. A
// screen keeps one beside its combo and forwards the combo's `showSelectAllVC` to it:
//
//     void DiskCopyViewController::showSelectAllVC() { copyTypeChooser_.showSelectAllVC(window()); }
//
// It opens the chooser in an attached window above the point (294, 65) of the main window, as a child window
// of it, and closes it three seconds later unless the pointer has entered it, at once when the pointer
// leaves it, and when a row is chosen, which it passes to the combo (`changeSelectType`; "all files" makes
// the combo tell the screen `changeSelectCopyType`). While a chooser is open and not yet entered, another
// opening does nothing. Each opening owns its three-second close: the timer of an earlier opening never
// closes a later chooser, and a new opening takes any earlier chooser off the screen first.
class CopyTypeChooser : public QObject, public SelectAllFileVCDelegate {
    Q_OBJECT

public:
    static constexpr QPointF kAttachPoint{294, 65};
    static constexpr std::chrono::milliseconds kCloseDelay{3000};

    // The combo is not owned; it outlives the chooser or is cleared with it (it is the screen's).
    explicit CopyTypeChooser(LComboBox* combo, QObject* parent = nullptr);
    ~CopyTypeChooser() override;
    CopyTypeChooser(const CopyTypeChooser&) = delete;
    CopyTypeChooser& operator=(const CopyTypeChooser&) = delete;

    void showSelectAllVC(QWidget* mainWindow);
    // Closes the open chooser, later on the main queue (a row of it may be what is calling), unless the
    // pointer has entered it since it opened.
    void closeMattachedWindow();
    void mouseEixtView(bool exited) override;
    void selectFormatbyType(quint64 choice) override;

    bool isPopSortWin() const { return isPopSortWin_; }
    SelectAllFilePopVC* selectAllFileVC() const { return selectAllFileVC_.get(); }
    RPAAttachedWindow* sortAttachedWindow() const { return sortAttachedWindow_.get(); }

    // Tests shorten the three seconds; a zero duration restores them.
    static void setCloseDelayForTesting(std::chrono::milliseconds delay);

private:
    void releaseChooser();

    QPointer<LComboBox> combo_;
    QPointer<QWidget> mainWindow_;
    std::unique_ptr<SelectAllFilePopVC> selectAllFileVC_;
    std::unique_ptr<RPAAttachedWindow> sortAttachedWindow_;  // released before the chooser it shows
    bool isPopSortWin_ = false;
    quint64 opening_ = 0;
};

}  // namespace sources
