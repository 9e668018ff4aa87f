#include "app/shell/MyNSApplication.h"

#include "platform/Bundle.h"
#include "platform/LogCategories.h"

#include <QKeyEvent>
#include <QWidget>

namespace {

constexpr Qt::KeyboardModifiers kDeviceIndependent =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier | Qt::KeypadModifier;

}  // namespace

MyNSApplication::MyNSApplication(int& argc, char** argv) : QApplication(argc, argv) {
    const QString bundle = platform::Bundle::mainBundlePath();
    const auto info = platform::Bundle::infoDictionary(bundle);
    const QString identifier =
        info ? info->value(QStringLiteral("CFBundleIdentifier")).toString() : QString();
    if (identifier.isEmpty()) {
        qCWarning(lcApp) << "no bundle identifier in" << bundle;
        return;
    }
    registration_ = std::make_unique<platform::RunningApplication::Registration>(identifier, bundle,
                                                                                 &activateWithOptions);
}

MyNSApplication::~MyNSApplication() = default;

bool MyNSApplication::notify(QObject* receiver, QEvent* event) {
    return sendKeyEquivalent(receiver, event) || QApplication::notify(receiver, event);
}

bool MyNSApplication::sendKeyEquivalent(QObject* receiver, QEvent* event) {
    // A key reaches a window first and its focus widget after: looking at the window's delivery sees each
    // key once, before any widget does.
    if (event->type() != QEvent::KeyPress || !receiver->isWindowType()) {
        return false;
    }
    const QByteArray action = keyEquivalentAction(*static_cast<QKeyEvent*>(event));
    return !action.isEmpty() && sendAction(action);
}

QByteArray MyNSApplication::keyEquivalentAction(const QKeyEvent& event) {
    // Caps Lock is no modifier here, so Command with Caps Lock is plain Command.
    const Qt::KeyboardModifiers modifiers = event.modifiers() & kDeviceIndependent;
    if (modifiers == Qt::ControlModifier) {
        switch (event.key()) {
            case Qt::Key_X:
                return QByteArrayLiteral("cut");
            case Qt::Key_C:
                return QByteArrayLiteral("copy");
            case Qt::Key_V:
                return QByteArrayLiteral("paste");
            case Qt::Key_Z:
                return QByteArrayLiteral("undo");
            case Qt::Key_A:
                return QByteArrayLiteral("selectAll");
            default:
                return {};
        }
    }
    if (modifiers == (Qt::ControlModifier | Qt::ShiftModifier) && event.key() == Qt::Key_Z) {
        return QByteArrayLiteral("redo");
    }
    return {};
}

bool MyNSApplication::sendAction(const QByteArray& action) {
    const QByteArray signature = action + QByteArrayLiteral("()");
    // The chain ends at the focus widget's window.
    for (QWidget* responder = QApplication::focusWidget(); responder; responder = responder->parentWidget()) {
        if (responder->metaObject()->indexOfSlot(signature.constData()) >= 0) {
            return QMetaObject::invokeMethod(responder, action.constData(), Qt::DirectConnection);
        }
        if (responder->isWindow()) {
            break;
        }
    }
    return false;
}

void MyNSApplication::activateWithOptions(unsigned options) {
    qCInfo(lcApp) << "brought to the front by another start, options" << options;
    QWidget* front = QApplication::activeWindow();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible()) {
            window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
            window->raise();
            front = front ? front : window;
        }
    }
    if (front) {
        front->activateWindow();
    }
}
