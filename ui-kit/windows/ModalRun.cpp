#include "ui-kit/windows/ModalRun.h"

#include "platform/LogCategories.h"

#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QWidget>

#include <vector>

namespace kit {

namespace {

// One modal run. It watches its window for the events that end it: a hide that the program asked for
// (close() hides too; a minimise is a spontaneous hide and keeps the run going) and the window's end.
class Session : public QObject {
    Q_OBJECT

public:
    explicit Session(QWidget* window) : window_(window) {
        window->installEventFilter(this);
        connect(window, &QObject::destroyed, this, [this] { stop(ModalRun::kResponseStop); });
    }
    ~Session() override {
        if (window_) {
            window_->removeEventFilter(this);
        }
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    QWidget* window() const { return window_; }
    // A stop that came before the loop started (the window closed while it was being shown) ends it at once.
    int exec() { return stopped_ ? code_ : loop_.exec(); }

    void stop(int code) {
        if (stopped_) {
            return;
        }
        stopped_ = true;
        code_ = code;
        loop_.exit(code);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Hide && !event->spontaneous()) {
            stop(ModalRun::kResponseStop);
        }
        return false;
    }

private:
    QPointer<QWidget> window_;
    QEventLoop loop_;
    bool stopped_ = false;
    int code_ = ModalRun::kResponseStop;
};

// Runs in progress, innermost last. Main thread only, like every window.
std::vector<Session*>& sessions() {
    static auto* list = new std::vector<Session*>;
    return *list;
}

Session* sessionFor(const QWidget* window) {
    for (Session* session : sessions()) {
        if (session->window() == window) {
            return session;
        }
    }
    return nullptr;
}

}  // namespace

int ModalRun::runModalForWindow(QWidget* window) {
    if (!window || sessionFor(window)) {
        qCWarning(lcUiKit) << "modal run refused for" << window;
        return kResponseAbort;
    }
    QPointer<QWidget> guard(window);
    const Qt::WindowModality previous = window->windowModality();
    if (window->isVisible()) {
        window->hide();  // modality only takes effect on a hidden window
    }
    window->setWindowModality(Qt::ApplicationModal);

    Session session(window);
    sessions().push_back(&session);
    window->show();
    window->raise();
    window->activateWindow();
    const int code = session.exec();
    std::erase(sessions(), &session);

    if (guard) {
        guard->setWindowModality(previous);
    }
    return code;
}

void ModalRun::stopModal(QWidget* window, int code) {
    if (Session* session = sessionFor(window)) {
        session->stop(code);
    }
}

bool ModalRun::isRunning(const QWidget* window) {
    return sessionFor(window) != nullptr;
}

}  // namespace kit

#include "ModalRun.moc"
