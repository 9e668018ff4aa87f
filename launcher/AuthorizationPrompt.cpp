#include "launcher/AuthorizationPrompt.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

bool AuthorizationPrompt::isAvailable() {
    const QString platformName = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (platformName == u"offscreen" || platformName == u"minimal") {
        return false;
    }
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

platform::AuthorizationDecision AuthorizationPrompt::ask() {
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Tavrun"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("Tavrun wants to make changes."), &dialog));
    layout->addWidget(
        new QLabel(QStringLiteral("Enter an administrator's password to allow this."), &dialog));
    auto* password = new QLineEdit(&dialog);
    password->setEchoMode(QLineEdit::Password);
    layout->addWidget(password);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel | QDialogButtonBox::Ok, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    // The simulated Mac checks no password: any answer with OK allows.
    return dialog.exec() == QDialog::Accepted ? platform::AuthorizationDecision::Allow
                                              : platform::AuthorizationDecision::Cancel;
}
