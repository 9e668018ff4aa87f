#pragma once

#include "app/image/DmgViewController.h"
#include "tests/support/kit/KitTestSupport.h"
#include "tests/support/sources/ScreenHarness.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;

namespace imagetest {

// Every job of these tests starts at this time, which gives this name.
inline const QDateTime kTime(QDate(2024, 5, 1), QTime(9, 30, 0));
inline const QString kName = QStringLiteral("Tavrun(2024-05-01 09:30:00)");

using namespace screentest;
// A picture under <build>/screenshots/image, on the grey a desktop would show round the window.
inline QString screenshot(QWidget* window, const QString& name) {
    return kittest::saveOnDesktop(window, name, QStringLiteral("image"));
}

// The screen with a hook on the worker's reports, which run on the main thread while the worker waits: what
// the hook does happens between two reports, as a click would.
class Screen : public DmgViewController {
    Q_OBJECT

public:
    using DmgViewController::DmgViewController;
    void copyFileToDmgWithFileName(const QString& text, float percent) override;
    std::function<void(const QString& text)> onReport;
};

// The Create Disk Image screen in a harness, jobs starting at kTime, its disks of the usb-hfs preset; the
// confirmation's "Create Image" accepts.
class Harness : public screentest::ScreenHarness {
public:
    explicit Harness(const QString& preset = QStringLiteral("apple-silicon-13"));

    void createNow() { start(); }
    // The content of a detached image file, unpacked.
    Files imageContent(const QString& macImage) const;
    // The names `unzip -l` lists.
    QStringList zipListing(const QString& macArchive) const;
    // Attached images and hdiutil's verbs so far.
    int attachedImages() const;
    QStringList hdiutilVerbs() const;

    Screen* screen = nullptr;

private:
    std::optional<Question> question() const override;
};

}  // namespace imagetest
