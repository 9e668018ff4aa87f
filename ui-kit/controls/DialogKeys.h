#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QAbstractButton;
class QWidget;

namespace kit {

// The keys of a dialog: Return and Enter press its default button, Escape its cancel button, while the
// dialog's window is the active one. A key presses nothing while its button is hidden or cannot be used (a
// kit image button switched off counts as unusable), so a key never does what a click could not. A dialog
// whose panes take turns (a result's success and failure views) names a button of each pane: the one that
// can be pressed is. The buttons are not owned.
class DialogKeys : public QObject {
    Q_OBJECT

public:
    // The dialog's keys, made on the first call and owned by the dialog; a later call names new buttons.
    static DialogKeys* install(QWidget* dialog, const QList<QAbstractButton*>& defaultButtons,
                               const QList<QAbstractButton*>& cancelButtons);
    static bool canPress(const QAbstractButton* button);

    void pressDefault() const;
    void pressCancel() const;

private:
    explicit DialogKeys(QWidget* dialog);
    static void pressFirst(const QList<QPointer<QAbstractButton>>& buttons);
    static QList<QPointer<QAbstractButton>> guarded(const QList<QAbstractButton*>& buttons);

    QList<QPointer<QAbstractButton>> defaults_;
    QList<QPointer<QAbstractButton>> cancels_;
};

}  // namespace kit
