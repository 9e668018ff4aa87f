#include "tests/app/bootable/e2e/CloneHarness.h"

#include "app/ErrorWindowController.h"
#include "app/bootable/CloneSystemEndWindowController.h"
#include "app/bootable/MakeSureCancelCloneSystemVC.h"
#include "app/bootable/MakeSureToCloneSystemVC.h"
#include "app/sources/DiskListViewController.h"
#include "app/sources/SelectDiskViewController.h"
#include "app/sources/SelectValueView.h"
#include "platform/Dispatch.h"
#include "services/jobs/KVBootable.h"
#include "tests/support/kit/KitTestSupport.h"
#include "ui-kit/controls/CancelTextImageButton.h"
#include "ui-kit/controls/DiskListView.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

namespace bootabletest {

void Recorder::KVUINotify(const KVProgressRecord& record) {
    screen_->KVUINotify(record);
    values << screen_->progressValue();
    noteStatus();
    if (onReport) {
        onReport(record);
    }
}

void Recorder::changeProTimeWithTag(int tag, int pass) {
    screen_->changeProTimeWithTag(tag, pass);
    values << screen_->progressValue();
    ++tags;
    if (onTag) {
        onTag(tag, pass);
    }
}

void Recorder::changeProLabelValue(const QString& text) {
    screen_->changeProLabelValue(text);
    noteStatus();
}

void Recorder::noteStatus() {
    const QString status = screen_->pathLabel()->text();
    if (statuses.isEmpty() || statuses.last() != status) {
        statuses << status;
    }
}

Harness::Harness(const QString& preset) : sim(preset) {
    KVBootable::setRestoreDelayForTesting(std::chrono::milliseconds(10));
    window = std::make_unique<QWidget>();
    window->resize(SelectDrivceViewController::kScreenSize.toSize());
    screen = new SelectDrivceViewController(window.get());
    screen->setDelegate(&tabs);
    recorder = std::make_unique<Recorder>(screen);
    KVBootable::KVShareInstance()->KVSetDelegate(recorder.get());
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QObject::connect(&watch_, &QTimer::timeout, [this] { answer(); });
    watch_.start(10);
}

Harness::~Harness() {
    KVBootable* engine = KVBootable::KVShareInstance();
    engine->KVStop();
    // Still answering: a window that the engine's last report opens after a failed wait would otherwise
    // hold the teardown in its modal loop for good.
    EXPECT_TRUE(waitForEngine());
    watch_.stop();
    engine->KVSetDelegate(nullptr);
    screen = nullptr;
    window.reset();
}

void Harness::respond(QWidget* dialog, std::function<void()> act) {
    if (answering_ == dialog) {
        return;
    }
    answering_ = dialog;
    QTimer::singleShot(0, &watch_, [this, act = std::move(act)] {
        act();
        answering_.clear();
    });
}

void Harness::answer() {
    if (ErrorWindowController* dialog = screen->errorWC(); dialog && isRunning(dialog->window())) {
        respond(dialog->window(), [this, dialog] {
            errors << dialog->errorLabel()->text();
            if (!errorShot.isEmpty()) {
                screenshot(dialog->window(), std::exchange(errorShot, QString()));
            }
            click(dialog->okButton());
        });
    }
    if (MakeSureToCloneSystemVC* question = screen->makeSureWC();
        question && confirmWith && isRunning(question->window())) {
        respond(question->window(), [this, question, done = *confirmWith] {
            ++confirmations;
            questionText = question->messageLabel()->text();
            click(done ? static_cast<QAbstractButton*>(question->doneButton()) : question->cancelButton());
        });
    }
    if (MakeSureCancelCloneSystemVC* question = screen->cancelWC();
        question && !stopAnswers.isEmpty() && isRunning(question->window())) {
        respond(question->window(), [this, question, stop = stopAnswers.takeFirst()] {
            click(stop ? static_cast<QAbstractButton*>(question->cancelButton()) : question->doneButton());
        });
    }
    if (CloneSystemEndWindowController* result = screen->endWC(); result && isRunning(result->window())) {
        respond(result->window(), [this, result] {
            const bool failed = result->failView()->isVisible();
            const QLabel* reason = result->reasonLabel();
            results << Result{failed, result->errorLable()->text(), screen->pathLabel()->text(),
                              result->checkFullButton()->isVisibleTo(result->window()),
                              reason->isVisibleTo(result->window()) ? reason->text() : QString()};
            if (!resultShot.isEmpty()) {
                screenshot(result->window(), std::exchange(resultShot, QString()));
            }
            click(failed ? result->failCancelButton() : result->succCancelButton());
        });
    }
}

QString Harness::attach(const QString& size, const QString& preset, const QString& name) {
    return sim.attach(preset, {QStringLiteral("--name"), name, QStringLiteral("--size"), size});
}

bool Harness::pick(const QString& disk) {
    screen->selectToVC()->mouseDownAction();
    SelectDiskViewController* picker = screen->diskPicker().selectDiskVC();
    if (picker == nullptr || !waitFor([&] { return picker->isVisible() && !picker->isLoading(); })) {
        return false;
    }
    for (DiskListViewController* tile : picker->tiles()) {
        if (tile->volumeObj().volumePath == disk) {
            QTest::mouseClick(tile->aView(), Qt::LeftButton, {}, QPoint(20, 20));
            return waitFor([&] {
                return !screen->diskPicker().isVisible() && QApplication::activeModalWidget() == nullptr;
            });
        }
    }
    screen->selectToVC()->mouseDownAction();  // closes the picker
    return false;
}

void Harness::choose(const QString& disk) {
    const auto record = SelectDiskViewController::KVAddDiskToUSBObj(disk);
    ASSERT_TRUE(record) << disk.toStdString();
    screen->doSelectDiskWithVolume(*record);  // no picker was opened from the source panel
    EXPECT_TRUE(waitFor([] { return QApplication::activeModalWidget() == nullptr; }));
}

void Harness::startHeld(const QString& disk) {
    sim.addFault({{QStringLiteral("Tool"), QStringLiteral("killall")},
                  {QStringLiteral("Action"), QStringLiteral("hang")},
                  {QStringLiteral("Times"), 1}});
    choose(disk);
    const qsizetype before = recorder->values.size();
    cloneNow();
    ASSERT_TRUE(waitFor([&] { return recorder->values.size() >= before + 2; })) << "the first steps";
}

void Harness::cloneNow() {
    const int before = confirmations;
    click(screen->cloneButton());
    EXPECT_TRUE(waitFor([&] { return confirmations > before && answering_.isNull(); })) << "no question";
}

bool Harness::waitForEnd() {
    using State = SelectDrivceViewController::RunState;
    return waitFor([&] {
               return screen->runState() != State::Cloning && screen->runState() != State::Repairing &&
                      QApplication::activeModalWidget() == nullptr;
           }) &&
           waitForEngine();
}

bool Harness::waitForEngine() {
    const bool idle = waitFor([] { return platform::waitForGlobalQueue(std::chrono::milliseconds(1)); });
    QCoreApplication::sendPostedEvents();  // the engine's last reports, queued for the main thread
    return idle;
}

bool Harness::startUsable() const {
    return screen->cloneButton()->isUsable();
}

QString Harness::panelName() const {
    return screen->selectToVC()->nameLabel()->text();
}

}  // namespace bootabletest
