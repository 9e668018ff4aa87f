#include "ui-kit/controls/DialogKeys.h"

#include "ui-kit/controls/ImageButtonBase.h"

#include <QAbstractButton>
#include <QKeySequence>
#include <QShortcut>

namespace kit {

DialogKeys* DialogKeys::install(QWidget* dialog, const QList<QAbstractButton*>& defaultButtons,
                                const QList<QAbstractButton*>& cancelButtons) {
    auto* keys = dialog->findChild<DialogKeys*>(QString(), Qt::FindDirectChildrenOnly);
    if (!keys) {
        keys = new DialogKeys(dialog);  // owned by the dialog
    }
    keys->defaults_ = guarded(defaultButtons);
    keys->cancels_ = guarded(cancelButtons);
    return keys;
}

DialogKeys::DialogKeys(QWidget* dialog) : QObject(dialog) {
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        auto* shortcut = new QShortcut(QKeySequence(key), dialog);  // owned by the dialog
        connect(shortcut, &QShortcut::activated, this,
                key == Qt::Key_Escape ? &DialogKeys::pressCancel : &DialogKeys::pressDefault);
    }
}

QList<QPointer<QAbstractButton>> DialogKeys::guarded(const QList<QAbstractButton*>& buttons) {
    return {buttons.begin(), buttons.end()};
}

bool DialogKeys::canPress(const QAbstractButton* button) {
    if (!button || !button->isVisible() || !button->isEnabled()) {
        return false;
    }
    const auto* image = qobject_cast<const ImageButtonBase*>(button);
    return !image || image->isUsable();
}

void DialogKeys::pressFirst(const QList<QPointer<QAbstractButton>>& buttons) {
    for (const QPointer<QAbstractButton>& button : buttons) {
        if (canPress(button)) {
            button->click();
            return;
        }
    }
}

void DialogKeys::pressDefault() const {
    pressFirst(defaults_);
}

void DialogKeys::pressCancel() const {
    pressFirst(cancels_);
}

}  // namespace kit
