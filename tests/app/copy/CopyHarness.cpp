#include "tests/app/copy/CopyHarness.h"

#include "app/ErrorWindowController.h"
#include "app/copy/CopyMakeSureWC.h"
#include "app/copy/DiskCopyViewController.h"
#include "app/sources/CopyTypeChooser.h"
#include "app/sources/DiskListViewController.h"
#include "app/sources/DiskListWC.h"
#include "app/sources/ImageButton.h"
#include "app/sources/LComboBox.h"
#include "app/sources/ListFileViewController.h"
#include "app/sources/OutputNames.h"
#include "app/sources/ScreenMessages.h"
#include "app/sources/SelectDiskViewController.h"
#include "app/sources/SelectValueView.h"
#include "platform/Dispatch.h"
#include "ui-kit/controls/CancelTextImageButton.h"
#include "ui-kit/controls/TCImageButton.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/windows/QNPopoverController.h"
#include "ui-kit/windows/QNPopoverWindow.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QSet>
#include <QTest>

#include <gtest/gtest.h>

namespace copytest {

namespace {

bool waitFor(const std::function<bool()>& done, int timeoutMs = 60000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QTest::qWait(10);
    }
    return true;
}

QString shotName(const QString& message) {
    if (message == sources::kSameVolumeMessage) {
        return QStringLiteral("error-same-volume");
    }
    if (message == sources::kInsufficientSpaceMessage) {
        return QStringLiteral("error-insufficient-space");
    }
    if (message == sources::kUnpluggedMessage) {
        return QStringLiteral("error-unplugged");
    }
    return QStringLiteral("error-nothing-selected");
}

}  // namespace

Harness::Harness(const QString& preset) : sim(preset) {
    sources::setClockForTesting([] { return kCopyTime; });
    window = std::make_unique<QWidget>();
    window->resize(776, 558);
    screen = new DiskCopyViewController(window.get());  // owned by the window
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QObject::connect(&errorWatch_, &QTimer::timeout, [this] {
        ErrorWindowController* dialog = screen != nullptr ? screen->errorWC() : nullptr;
        if (dialog != nullptr && isRunning(dialog->window())) {
            errors << dialog->errorLabel()->text();
            screenshot(dialog->window(), shotName(errors.last()));
            click(dialog->okButton());
        }
    });
    errorWatch_.start(10);
    // A timer of its own: the confirmation's answer runs the copy, whose errors the other timer answers.
    QObject::connect(&confirmationWatch_, &QTimer::timeout, [this] {
        CopyMakeSureWC* question = screen != nullptr ? screen->makeSureWC() : nullptr;
        if (confirmWith && question != nullptr && isRunning(question->window())) {
            ++confirmations;
            click(*confirmWith ? static_cast<QAbstractButton*>(question->doneButton())
                               : question->cancelButton());
        }
    });
    confirmationWatch_.start(10);
}

Harness::~Harness() {
    errorWatch_.stop();
    confirmationWatch_.stop();
    screen = nullptr;
    window.reset();
    EXPECT_TRUE(platform::waitForGlobalQueue(60000));
    sources::setClockForTesting({});
}

QString Harness::attach(const QString& name, const Files& files, const QString& preset) {
    QStringList options{QStringLiteral("--name"), name};
    if (preset != QLatin1String("usb-tiny")) {
        options << QStringLiteral("--size") << QStringLiteral("1G");
    }
    const QString disk = sim.attach(preset, options);
    disks.insert(name, disk);
    for (auto file = files.begin(); file != files.end(); ++file) {
        writeFile(QStringLiteral("/Volumes/%1/%2").arg(name, file.key()), file.value());
    }
    return disk;
}

void Harness::writeFile(const QString& macPath, const QByteArray& content) const {
    const QString host = sim.host(macPath);
    QDir().mkpath(QFileInfo(host).path());
    QFile out(host);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly) && out.write(content) == content.size()) << host.toStdString();
}

void Harness::setUsedBytes(const QString& name, qint64 bytes) {
    for (const QVariant& disk : sim.list().value(QStringLiteral("AllDisksAndPartitions")).toList()) {
        for (const QVariant& entry : disk.toMap().value(QStringLiteral("Partitions")).toList()) {
            if (entry.toMap().value(QStringLiteral("VolumeName")) == name) {
                sim.simctl({QStringLiteral("set"),
                            entry.toMap().value(QStringLiteral("DeviceIdentifier")).toString(),
                            QStringLiteral("UsedBytes"), QString::number(bytes)});
            }
        }
    }
}

bool Harness::pick(qint32 diskFrom, const QString& volumeName, const QString& shot) {
    (diskFrom == 1 ? screen->selectFromVC() : screen->selectToVC())->mouseDownAction();
    SelectDiskViewController* picker = screen->diskPicker().selectDiskVC();
    if (picker == nullptr || !waitFor([&] { return picker->isVisible() && !picker->isLoading(); })) {
        return false;
    }
    if (!shot.isEmpty()) {
        screenshot(screen->diskPicker().popoverController()->popoverWindow(), shot);
    }
    for (DiskListViewController* tile : picker->tiles()) {
        if (tile->volumeObj().volumeName == volumeName) {
            QTest::mouseClick(tile->aView(), Qt::LeftButton, {}, QPoint(20, 20));
            return waitFor([&] { return !screen->diskPicker().isVisible(); }) && settle();
        }
    }
    (diskFrom == 1 ? screen->selectFromVC() : screen->selectToVC())->mouseDownAction();  // closes the picker
    return false;
}

void Harness::closePanel(qint32 diskFrom) {
    click((diskFrom == 1 ? screen->selectFromVC() : screen->selectToVC())->closeDisk());
    settle();
}

void Harness::drop(const QStringList& paths) {
    screen->selectFromVC()->viewDragAction(paths);
    settle();
}

void Harness::chooseSet(const std::function<void(ListFileViewController&)>& choose) {
    LComboBox* combo = screen->lComboBox();
    if (combo->searchButton()->isHidden()) {
        combo->doSelect();
        screen->copyTypeChooser()->selectFormatbyType(1);
    }
    answers.when(
        [this] {
            DiskListWC* list = screen->diskListWC();
            return list != nullptr && isRunning(list->window()) && !list->listFileVC()->isScan();
        },
        [this, choose] {
            ListFileViewController* list = screen->diskListWC()->listFileVC();
            choose(*list);
            screenshot(screen->diskListWC()->window(), QStringLiteral("file-list"));
            click(list->doneButton());
        });
    combo->searchButtonAction();
    settle();
}

void Harness::chooseAllFiles() {
    EXPECT_TRUE(screen->lComboBox()->isCanOpen());
    screen->lComboBox()->doSelect();
    screen->copyTypeChooser()->selectFormatbyType(0);
    settle();
}

void Harness::copyNow() {
    click(screen->cloneButton());
    settle();
}

bool Harness::settle() {
    int quiet = 0;
    return waitFor([&] {
        const bool idle =
            !screen->isScanning() && QApplication::activeModalWidget() == nullptr && answers.pending() == 0;
        quiet = idle ? quiet + 1 : 0;
        return quiet >= 10;
    });
}

bool Harness::startUsable() const {
    return screen->cloneButton()->isUsable();
}

QString Harness::panelName(qint32 diskFrom) const {
    return (diskFrom == 1 ? screen->selectFromVC() : screen->selectToVC())->nameLabel()->text();
}

QString Harness::panelSize(qint32 diskFrom) const {
    return (diskFrom == 1 ? screen->selectFromVC() : screen->selectToVC())->sizeLabel()->text();
}

Files Harness::filesUnder(const QString& macFolder) const {
    Files files;
    const QString root = sim.host(macFolder);
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        files.insert(path.mid(root.size() + 1),
                     file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    }
    return files;
}

::testing::AssertionResult sameFiles(const Files& actual, const Files& expected) {
    QStringList differing;
    for (const QString& path : QSet<QString>(actual.keyBegin(), actual.keyEnd()) |
                                   QSet<QString>(expected.keyBegin(), expected.keyEnd())) {
        if (actual.value(path) != expected.value(path) || actual.contains(path) != expected.contains(path)) {
            differing << path;
        }
    }
    if (differing.isEmpty()) {
        return ::testing::AssertionSuccess();
    }
    differing.sort();
    return ::testing::AssertionFailure()
           << "differing: " << differing.join(QStringLiteral(", ")).toStdString();
}

void uncheck(ListFileViewController& list, const QStringList& names) {
    for (const auto& node : *list.rootNodeArr()) {
        if (names.contains(node->name())) {
            list.setObjectValue(sources::FileColumn::CheckBox, node.get());
        }
    }
}

}  // namespace copytest
