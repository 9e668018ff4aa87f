#include "tests/support/sources/ScreenHarness.h"

#include "app/ErrorWindowController.h"
#include "app/sources/CopyTypeChooser.h"
#include "app/sources/DiskListViewController.h"
#include "app/sources/DiskListWC.h"
#include "app/sources/LComboBox.h"
#include "app/sources/ListFileViewController.h"
#include "app/sources/OutputNames.h"
#include "app/sources/SelectDiskViewController.h"
#include "app/sources/SelectValueView.h"
#include "app/sources/SourceDestinationScreen.h"
#include "platform/Dispatch.h"
#include "tests/support/TestEnv.h"
#include "tests/support/kit/KitTestSupport.h"
#include "ui-kit/controls/CancelTextImageButton.h"
#include "ui-kit/controls/ImageControl.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/windows/QNPopoverController.h"
#include "ui-kit/windows/QNPopoverWindow.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDirIterator>
#include <QLabel>

#include <gtest/gtest.h>

namespace screentest {

ScreenHarness::ScreenHarness(const QString& preset, const QDateTime& time, const QString& diskPreset,
                             const QString& shotFolder)
    : sim(preset), diskPreset_(diskPreset), shotFolder_(shotFolder) {
    sources::setClockForTesting([time] { return time; });
    window = std::make_unique<QWidget>();
    window->resize(776, 558);
}

ScreenHarness::~ScreenHarness() {
    errorWatch_.stop();
    questionWatch_.stop();
    window.reset();
    EXPECT_TRUE(platform::waitForGlobalQueue(std::chrono::minutes(1)));
    sources::setClockForTesting({});
}

void ScreenHarness::open(sources::SourceDestinationScreen* screen) {
    screen_ = screen;
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QObject::connect(&errorWatch_, &QTimer::timeout, [this] { answerError(); });
    QObject::connect(&questionWatch_, &QTimer::timeout, [this] { answerQuestion(); });
    errorWatch_.start(10);
    questionWatch_.start(10);
}

void ScreenHarness::answerError() {
    if (ErrorWindowController* dialog = screen_->errorWC(); dialog && kittest::isRunning(dialog->window())) {
        errors << dialog->errorLabel()->text();
        kittest::saveOnDesktop(dialog->window(), errorShot(errors.last()), shotFolder_);
        kittest::click(dialog->okButton());
    }
}

void ScreenHarness::answerQuestion() {
    if (!confirmWith) {
        return;
    }
    if (const std::optional<Question> asked = question(); asked && kittest::isRunning(asked->window)) {
        ++confirmations;
        kittest::click(*confirmWith ? asked->accept : asked->cancel);
    }
}

QString ScreenHarness::errorShot(const QString& /*message*/) const {
    return QStringLiteral("error-%1").arg(errors.size());
}

void ScreenHarness::attach(const QString& name, const Files& files, const QString& preset) {
    const QString device = preset.isEmpty() ? diskPreset_ : preset;
    QStringList options{QStringLiteral("--name"), name};
    if (device != QLatin1String("usb-tiny")) {
        options << QStringLiteral("--size") << QStringLiteral("1G");
    }
    disks.insert(name, sim.attach(device, options));
    for (auto file = files.begin(); file != files.end(); ++file) {
        writeFile(QStringLiteral("/Volumes/%1/%2").arg(name, file.key()), file.value());
    }
}

void ScreenHarness::writeFile(const QString& macPath, const QByteArray& content) const {
    const QString host = sim.host(macPath);
    QDir().mkpath(QFileInfo(host).path());
    QFile out(host);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly) && out.write(content) == content.size()) << host.toStdString();
}

bool ScreenHarness::pick(qint32 diskFrom, const QString& volumeName, const QString& shot) {
    SelectValueView* panel = diskFrom == 1 ? screen_->selectFromVC() : screen_->selectToVC();
    panel->mouseDownAction();  // a click on the panel's background
    SelectDiskViewController* picker = screen_->diskPicker().selectDiskVC();
    if (!picker ||
        !testsupport::waitUntil([&] { return picker->isVisible() && !picker->isLoading(); }, 60000)) {
        return false;
    }
    if (!shot.isEmpty()) {
        kittest::saveOnDesktop(screen_->diskPicker().popoverController()->popoverWindow(), shot, shotFolder_);
    }
    for (DiskListViewController* tile : picker->tiles()) {
        if (tile->volumeObj().volumeName == volumeName) {
            QTest::mouseClick(tile->aView(), Qt::LeftButton, {}, QPoint(20, 20));
            return testsupport::waitUntil([&] { return !screen_->diskPicker().isVisible(); }, 60000) &&
                   settle();
        }
    }
    panel->mouseDownAction();  // a second click closes the picker
    return false;
}

void ScreenHarness::pickBoth(const QString& source, const QString& destination) {
    ASSERT_TRUE(pick(1, source));
    ASSERT_TRUE(pick(2, destination));
}

void ScreenHarness::drop(const QStringList& paths) {
    screen_->selectFromVC()->viewDragAction(paths);
    settle();
}

void ScreenHarness::chooseSet(const std::function<void(ListFileViewController&)>& choose) {
    LComboBox* combo = screen_->lComboBox();
    if (combo->searchButton()->isHidden()) {
        combo->doSelect();
        screen_->copyTypeChooser()->selectFormatbyType(1);
    }
    answers.when(
        [this] {
            DiskListWC* list = screen_->diskListWC();
            return list && kittest::isRunning(list->window()) && !list->listFileVC()->isScan();
        },
        [this, choose] {
            choose(*screen_->diskListWC()->listFileVC());
            if (!fileListShot_.isEmpty()) {
                kittest::saveOnDesktop(screen_->diskListWC()->window(), fileListShot_, shotFolder_);
            }
            kittest::click(screen_->diskListWC()->listFileVC()->doneButton());
        });
    combo->searchButtonAction();
    settle();
}

void ScreenHarness::start() {
    kittest::click(screen_->cloneButton());
    settle();
}

void ScreenHarness::runToEnd() {
    start();
    EXPECT_TRUE(platform::waitForGlobalQueue(
        std::chrono::minutes(1)));  // what the worker still had to say has been said
    EXPECT_TRUE(settle());
}

bool ScreenHarness::anyModalWindow() {
    return QApplication::activeModalWidget() != nullptr;
}

bool ScreenHarness::settle() {
    int quiet = 0;
    return testsupport::waitUntil(
        [&] {
            const bool idle =
                !screen_->isScanning() && !QApplication::activeModalWidget() && !answers.pending();
            quiet = idle ? quiet + 1 : 0;
            QTest::qWait(10);
            return quiet >= 10;
        },
        60000);
}

bool ScreenHarness::startUsable() const {
    return screen_->cloneButton()->isUsable();
}

QString ScreenHarness::panelName(qint32 diskFrom) const {
    return (diskFrom == 1 ? screen_->selectFromVC() : screen_->selectToVC())->nameLabel()->text();
}

bool ScreenHarness::exists(const QString& macPath) const {
    return QFileInfo::exists(sim.host(macPath));
}

Files ScreenHarness::filesUnder(const QString& macFolder) const {
    return filesBelow(sim.host(macFolder));
}

Files filesBelow(const QString& root) {
    Files files;
    for (QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
        QFile file(it.next());
        files.insert(file.fileName().mid(root.size() + 1),
                     file.open(QIODevice::ReadOnly) ? file.readAll() : "");
    }
    return files;
}

void uncheck(ListFileViewController& list, const QStringList& names) {
    for (const auto& node : *list.rootNodeArr()) {
        if (names.contains(node->name())) {
            list.setObjectValue(sources::FileColumn::CheckBox, node.get());
        }
    }
}

}  // namespace screentest
