#include "tests/app/image/ImageHarness.h"

#include "app/ErrorWindowController.h"
#include "app/image/DMGMakeSureWC.h"
#include "app/sources/CopyTypeChooser.h"
#include "app/sources/DiskListViewController.h"
#include "app/sources/DiskListWC.h"
#include "app/sources/ImageButton.h"
#include "app/sources/LComboBox.h"
#include "app/sources/ListFileViewController.h"
#include "app/sources/OutputNames.h"
#include "app/sources/SelectDiskViewController.h"
#include "app/sources/SelectValueView.h"
#include "platform/Dispatch.h"
#include "tests/support/TestEnv.h"
#include "tests/support/kit/KitTestSupport.h"
#include "ui-kit/controls/CancelTextImageButton.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QApplication>
#include <QDirIterator>
#include <QLabel>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace imagetest {

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
    return kittest::saveScreenshot(image, name, QStringLiteral("image"));
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

void Screen::copyFileToDmgWithFileName(const QString& text, float percent) {
    DmgViewController::copyFileToDmgWithFileName(text, percent);
    if (onReport) {
        onReport(text);
    }
}

Harness::Harness(const QString& preset) : sim(preset) {
    sources::setClockForTesting([] { return kTime; });
    window = std::make_unique<QWidget>();
    window->resize(776, 558);
    screen = new Screen(window.get());  // owned by the window
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QObject::connect(&errorWatch_, &QTimer::timeout, [this] {
        if (ErrorWindowController* dialog = screen->errorWC(); dialog && isRunning(dialog->window())) {
            errors << dialog->errorLabel()->text();
            screenshot(dialog->window(), QStringLiteral("error-%1").arg(errors.size()));
            click(dialog->okButton());
        }
    });
    QObject::connect(&confirmationWatch_, &QTimer::timeout, [this] {
        if (DMGMakeSureWC* question = screen->makeSureWC();
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
    sim.attach(preset, options);
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

bool Harness::pick(qint32 diskFrom, const QString& volumeName) {
    SelectValueView* panel = diskFrom == 1 ? screen->selectFromVC() : screen->selectToVC();
    panel->mouseDownAction();  // a click on the panel's background
    SelectDiskViewController* picker = screen->diskPicker().selectDiskVC();
    if (!picker ||
        !testsupport::waitUntil([&] { return picker->isVisible() && !picker->isLoading(); }, 60000)) {
        return false;
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
            click(screen->diskListWC()->listFileVC()->doneButton());
        });
    combo->searchButtonAction();
    settle();
}

void Harness::createNow() {
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

bool Harness::exists(const QString& macPath) const {
    return QFileInfo::exists(sim.host(macPath));
}

namespace {

Files filesBelow(const QString& root) {
    Files files;
    for (QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
        QFile file(it.next());
        files.insert(file.fileName().mid(root.size() + 1),
                     file.open(QIODevice::ReadOnly) ? file.readAll() : "");
    }
    return files;
}

QString output(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(60000) && process.exitCode() == 0) << program.toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

}  // namespace

Files Harness::filesUnder(const QString& macFolder) const {
    return filesBelow(sim.host(macFolder));
}

Files Harness::imageContent(const QString& macImage) const {
    QTemporaryDir unpacked;
    output(QStringLiteral("tar"),
           {QStringLiteral("-xf"), sim.host(macImage), QStringLiteral("-C"), unpacked.path()});
    Files files = filesBelow(unpacked.path());
    files.remove(QStringLiteral(".simmac-image.plist"));
    return files;
}

// "  Length      Date    Time    Name", a rule of dashes, one line per entry, a rule, the totals.
QStringList Harness::zipListing(const QString& macArchive) const {
    const QStringList lines = output(QStringLiteral("unzip"), {QStringLiteral("-l"), sim.host(macArchive)})
                                  .split(QLatin1Char('\n'));
    QStringList names;
    bool inside = false;
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1String("---------"))) {
            if (inside) {
                break;
            }
            inside = true;
        } else if (inside) {
            names << line.section(QLatin1Char(' '), 3, -1, QString::SectionSkipEmpty);
        }
    }
    names.sort();
    return names;
}

int Harness::attachedImages() const {
    const QVariantList disks = sim.state().value(QStringLiteral("Disks")).toList();
    return static_cast<int>(std::count_if(disks.begin(), disks.end(), [](const QVariant& disk) {
        return disk.toMap().value(QStringLiteral("Kind")).toString() == QLatin1String("image");
    }));
}

QStringList Harness::hdiutilVerbs() const {
    QStringList verbs;
    for (const QStringList& call : testsupport::toolCalls(sim, QStringLiteral("hdiutil"))) {
        verbs << call.value(0);
    }
    return verbs;
}

void uncheck(ListFileViewController& list, const QStringList& names) {
    for (const auto& node : *list.rootNodeArr()) {
        if (names.contains(node->name())) {
            list.setObjectValue(sources::FileColumn::CheckBox, node.get());
        }
    }
}

}  // namespace imagetest
