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
#include "tests/support/TestEnv.h"
#include "tests/support/kit/KitTestSupport.h"
#include "ui-kit/controls/CancelTextImageButton.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/QNPopoverController.h"
#include "ui-kit/windows/QNPopoverWindow.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QApplication>
#include <QDirIterator>
#include <QLabel>
#include <QPainter>

#include <gtest/gtest.h>

namespace copytest {

bool isRunning(QWidget* window) {
    return window != nullptr && window->isVisible() && kit::ModalRun::isRunning(window);
}

void click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}

QString screenshot(QWidget* window, const QString& name) {
    QImage image(window->size() + QSize(40, 40), QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(0x8A, 0x8F, 0x99));
    QPainter(&image).drawImage(QPoint(20, 20), window->grab().toImage());
    return kittest::saveScreenshot(image, name, QStringLiteral("copy"));
}

void Answers::when(std::function<bool()> ready, std::function<void()> act) {
    const auto earlier = static_cast<long>(timers_.size());
    QTimer* timer = timers_.emplace_back(std::make_unique<QTimer>()).get();
    QObject::connect(timer, &QTimer::timeout, timer, [this, timer, earlier, ready, act] {
        if (std::none_of(timers_.begin(), timers_.begin() + earlier, [](auto& t) { return t->isActive(); }) &&
            ready()) {
            timer->stop();  // the act may run a modal loop of its own: never twice
            act();
        }
    });
    timer->start(10);
}

int Answers::pending() const {
    return static_cast<int>(
        std::count_if(timers_.begin(), timers_.end(), [](auto& t) { return t->isActive(); }));
}

Harness::Harness() {
    sources::setClockForTesting([] { return kCopyTime; });
    window = std::make_unique<QWidget>();
    window->resize(776, 558);
    screen = new DiskCopyViewController(window.get());  // owned by the window
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QObject::connect(&errorWatch_, &QTimer::timeout, [this] {
        if (ErrorWindowController* dialog = screen->errorWC(); dialog && isRunning(dialog->window())) {
            const QString& text = errors.emplace_back(dialog->errorLabel()->text());
            screenshot(dialog->window(), text == sources::kSameVolumeMessage ? "error-same-volume"
                                         : text == sources::kInsufficientSpaceMessage
                                             ? "error-insufficient-space"
                                         : text == sources::kUnpluggedMessage ? "error-unplugged"
                                                                              : "error-nothing-selected");
            click(dialog->okButton());
        }
    });
    QObject::connect(&confirmationWatch_, &QTimer::timeout, [this] {
        if (CopyMakeSureWC* question = screen->makeSureWC();
            confirmWith && question && isRunning(question->window())) {
            ++confirmations;
            click(*confirmWith ? static_cast<QAbstractButton*>(question->doneButton())
                               : question->cancelButton());
        }
    });
    errorWatch_.start(10);
    confirmationWatch_.start(10);
}

Harness::~Harness() {
    errorWatch_.stop();
    confirmationWatch_.stop();
    window.reset();
    EXPECT_TRUE(platform::waitForGlobalQueue(60000));
    sources::setClockForTesting({});
}

void Harness::attach(const QString& name, const Files& files, const QString& preset) {
    QStringList options{QStringLiteral("--name"), name};
    if (preset != QLatin1String("usb-tiny")) {
        options << QStringLiteral("--size") << QStringLiteral("1G");
    }
    disks.insert(name, sim.attach(preset, options));
    for (auto file = files.begin(); file != files.end(); ++file) {
        writeFile(QStringLiteral("/Volumes/%1/%2").arg(name, file.key()), file.value());
    }
}

void Harness::writeFile(const QString& macPath, const QByteArray& content) const {
    const QString host = sim.host(macPath);
    QDir().mkpath(QFileInfo(host).path());
    QFile out(host);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly) && out.write(content) == content.size()) << host.toStdString();
}

bool Harness::pick(qint32 diskFrom, const QString& volumeName, const QString& shot) {
    SelectValueView* panel = diskFrom == 1 ? screen->selectFromVC() : screen->selectToVC();
    panel->mouseDownAction();  // a click on the panel's background
    SelectDiskViewController* picker = screen->diskPicker().selectDiskVC();
    if (!picker ||
        !testsupport::waitUntil([&] { return picker->isVisible() && !picker->isLoading(); }, 60000)) {
        return false;
    }
    if (!shot.isEmpty()) {
        screenshot(screen->diskPicker().popoverController()->popoverWindow(), shot);
    }
    for (DiskListViewController* tile : picker->tiles()) {
        if (tile->volumeObj().volumeName == volumeName) {
            QTest::mouseClick(tile->aView(), Qt::LeftButton, {}, QPoint(20, 20));
            return testsupport::waitUntil([&] { return !screen->diskPicker().isVisible(); }, 60000) &&
                   settle();
        }
    }
    panel->mouseDownAction();  // a second click closes the picker
    return false;
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
            return list && isRunning(list->window()) && !list->listFileVC()->isScan();
        },
        [this, choose] {
            choose(*screen->diskListWC()->listFileVC());
            screenshot(screen->diskListWC()->window(), QStringLiteral("file-list"));
            click(screen->diskListWC()->listFileVC()->doneButton());
        });
    combo->searchButtonAction();
    settle();
}

void Harness::copyNow() {
    click(screen->cloneButton());
    settle();
}

bool Harness::settle() {
    int quiet = 0;
    return testsupport::waitUntil(
        [&] {
            const bool idle =
                !screen->isScanning() && !QApplication::activeModalWidget() && !answers.pending();
            quiet = idle ? quiet + 1 : 0;
            QTest::qWait(10);
            return quiet >= 10;
        },
        60000);
}

bool Harness::startUsable() const {
    return screen->cloneButton()->isUsable();
}

QString Harness::panelName(qint32 diskFrom) const {
    return (diskFrom == 1 ? screen->selectFromVC() : screen->selectToVC())->nameLabel()->text();
}

Files Harness::filesUnder(const QString& macFolder) const {
    Files files;
    const QString root = sim.host(macFolder);
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

}  // namespace copytest
