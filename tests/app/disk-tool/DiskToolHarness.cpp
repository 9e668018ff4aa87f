#include "tests/app/disk-tool/DiskToolHarness.h"

#include "app/disk-tool/VolumeRowCard.h"
#include "platform/Dispatch.h"
#include "services/utilities/KVPublicUtilities.h"
#include "tests/support/TestEnv.h"
#include "tests/support/kit/KitTestSupport.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/tables/CustomTableView.h"
#include "ui-kit/windows/StatusAttachedWindow.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QTest>

namespace disktooltest {

RepairDiskViewController::Delays fastDelays() {
    using std::chrono::milliseconds;
    RepairDiskViewController::Delays delays;
    delays.firstAid = milliseconds(20);
    delays.formatEnd = milliseconds(20);
    delays.reloadGate = milliseconds(1100);
    delays.slowList = milliseconds(300);
    return delays;
}

StatusAttachedWindow* runningDialogWindow(const std::function<bool(QWidget*)>& isKind) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* window = dynamic_cast<StatusAttachedWindow*>(widget);
        if (kittest::isRunning(window) && window->view() && isKind(window->view())) {
            return window;
        }
    }
    return nullptr;
}

DialogAnswers::~DialogAnswers() = default;

void DialogAnswers::whenRunning(std::function<bool(QWidget*)> answer) {
    auto timer = std::make_unique<QTimer>();
    QTimer* raw = timer.get();
    raw->setInterval(20);
    QObject::connect(raw, &QTimer::timeout, raw, [raw, answer = std::move(answer)] {
        raw->stop();  // an answer may wait in an event loop of its own: no second call meanwhile
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (kittest::isRunning(window) && answer(window)) {
                return;
            }
        }
        raw->start();
    });
    raw->start();
    timers_.push_back(std::move(timer));
}

void DialogAnswers::whenError(std::function<void(const QString& message)> seen, QWidget* below,
                              const QString& shot) {
    whenRunning([seen = std::move(seen), below = QPointer<QWidget>(below), shot](QWidget* window) {
        auto* dialog = dynamic_cast<TCImageWindow*>(window);
        if (!dialog) {
            return false;
        }
        TextImageButton* done = nullptr;
        for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
            done = done ? done : dynamic_cast<TextImageButton*>(button);
        }
        QString message;
        for (const QLabel* label : dialog->findChildren<QLabel*>()) {
            if (label->wordWrap()) {
                message = label->text();  // the message wraps; titles do not
            }
        }
        if (!done) {
            return false;
        }
        seen(message);
        screenshot(dialog, QStringLiteral("error-dialog"));
        if (below) {
            screenshotOver(below, dialog, shot);
        }
        clickButton(done);
        return true;
    });
}

int DialogAnswers::pending() const {
    return static_cast<int>(
        std::count_if(timers_.begin(), timers_.end(), [](const auto& t) { return t->isActive(); }));
}

Harness::Harness(const QString& preset, const RepairDiskViewController::Delays& delays) : sim(preset) {
    StatusAttachedWindow::setSystemVersionFunction(&KVPublicUtilities::getSystemVersion);
    RepairDiskViewController::setDelaysForTesting(delays);
}

Harness::~Harness() {
    // The screen first, so that nothing new starts; then the work already started ends on this Mac.
    screen.reset();
    EXPECT_TRUE(platform::waitForGlobalQueue(std::chrono::minutes(1)));
    RepairDiskViewController::setDelaysForTesting({});
}

void Harness::open() {
    screen = std::make_unique<RepairDiskViewController>();
    screen->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(screen.get()));
    screen->loadData();
    ASSERT_TRUE(waitForList());
}

bool Harness::settled() const {
    return screen && !screen->isScanning() && !screen->isReloadPending();
}

bool Harness::waitForList() const {
    return waitFor([this] { return settled(); }, kListLoadMs);
}

bool Harness::waitForListWhere(const std::function<bool()>& done) const {
    return waitFor([&] { return settled() && done(); }, kListLoadMs);
}

QStringList Harness::names() const {
    QStringList list;
    for (const VolumeObj& volume : screen->allVolumes()) {
        list << volume.volumeName;
    }
    return list;
}

int Harness::rowOf(const QString& name) const {
    return static_cast<int>(names().indexOf(name));
}

const VolumeObj* Harness::volume(const QString& name) const {
    const int row = rowOf(name);
    return row < 0 ? nullptr : &screen->allVolumes()[static_cast<size_t>(row)];
}

disktool::VolumeRowCard* Harness::cell(int row) const {
    return screen->card(row);
}

bool Harness::select(const QString& name) {
    const int row = rowOf(name);
    QWidget* card = row < 0 ? nullptr : cell(row);
    if (!card) {
        return false;
    }
    QTest::mouseClick(card, Qt::LeftButton, {}, QPoint(2, 2));  // the card's own background
    return screen->selectedIndex() == row;
}

TextImageButton* Harness::button(const char* identifier) const {
    disktool::VolumeRowCard* card = cell(screen->selectedIndex());
    for (int index = 0; card && index < disktool::VolumeRowCard::kButtonCount; ++index) {
        const auto which = static_cast<disktool::VolumeRowCard::Button>(index);
        if (disktool::VolumeRowCard::identifier(which) == QLatin1String(identifier)) {
            return card->button(which);
        }
    }
    return nullptr;
}

bool Harness::usable(const char* identifier) const {
    TextImageButton* found = button(identifier);
    return found && found->isVisible() && found->isUsable();
}

QString Harness::title(const char* identifier) const {
    TextImageButton* found = button(identifier);
    return found && found->textField() ? found->textField()->text() : QString();
}

void Harness::click(const char* identifier) {
    TextImageButton* found = button(identifier);
    ASSERT_TRUE(found) << identifier;
    clickButton(found);
}

QLineEdit* Harness::renameField() const {
    disktool::VolumeRowCard* card = cell(screen->selectedIndex());
    return card ? card->renameField() : nullptr;
}

void Harness::typeNewName(const QString& typed) {
    click("rename");
    QLineEdit* field = renameField();
    ASSERT_TRUE(field && field->isVisible());
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    // One key press carrying the whole text, as an input method would deliver it.
    QTest::sendKeyEvent(QTest::Press, field, Qt::Key_unknown, typed, Qt::NoModifier);
}

QList<QStringList> Harness::diskutilCalls(const QString& verb) const {
    QList<QStringList> calls;
    for (const QJsonObject& call : sim.calls()) {
        if (call.value(QStringLiteral("phase")) != QStringLiteral("start") ||
            call.value(QStringLiteral("tool")) != QStringLiteral("diskutil")) {
            continue;
        }
        QStringList argv;
        for (const QJsonValue& arg : call.value(QStringLiteral("argv")).toArray()) {
            argv << arg.toString();
        }
        if (verb.isEmpty() || argv.value(0) == verb) {
            calls << argv;
        }
    }
    return calls;
}

namespace {

QVariantMap findNode(const QVariantList& disks, const QString& identifier) {
    for (const QVariant& disk : disks) {
        const QVariantMap map = disk.toMap();
        for (const char* list : {"Partitions", "APFSVolumes"}) {
            for (const QVariant& entry : map.value(QLatin1String(list)).toList()) {
                if (entry.toMap().value(QStringLiteral("DeviceIdentifier")) == identifier) {
                    return entry.toMap();
                }
            }
        }
    }
    return {};
}

}  // namespace

QString Harness::identifierOf(const QString& volumeName) const {
    for (const QVariant& disk : sim.list().value(QStringLiteral("AllDisksAndPartitions")).toList()) {
        for (const char* list : {"Partitions", "APFSVolumes"}) {
            for (const QVariant& entry : disk.toMap().value(QLatin1String(list)).toList()) {
                if (entry.toMap().value(QStringLiteral("VolumeName")) == volumeName) {
                    return entry.toMap().value(QStringLiteral("DeviceIdentifier")).toString();
                }
            }
        }
    }
    return {};
}

QVariantMap Harness::node(const QString& identifier) const {
    return findNode(sim.state().value(QStringLiteral("Disks")).toList(), identifier);
}

QString screenshotOver(QWidget* below, QWidget* above, const QString& name) {
    const QRect area = below->frameGeometry().united(above->frameGeometry());
    QLabel picture;
    QPixmap both(area.size());
    both.fill(Qt::transparent);
    QPainter painter(&both);
    painter.drawPixmap(below->frameGeometry().topLeft() - area.topLeft(), below->grab());
    painter.drawPixmap(above->frameGeometry().topLeft() - area.topLeft(), above->grab());
    painter.end();
    picture.setPixmap(both);
    picture.resize(both.size());
    return screenshot(&picture, name);
}

}  // namespace disktooltest
