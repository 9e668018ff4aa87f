#pragma once

#include "tests/support/kit/KitTestSupport.h"
#include "tests/support/sources/ScreenHarness.h"

#include <QDateTime>
#include <QString>

class DiskCopyViewController;
class QWidget;

namespace copytest {

// Every copy of these tests starts at this time, which gives this folder name.
inline const QDateTime kCopyTime(QDate(2024, 5, 1), QTime(9, 30, 0));
inline const QString kFolderName = QStringLiteral("Tavrun(2024-05-01 09:30:00)");

using namespace screentest;
// A picture under <build>/screenshots/copy, on the grey a desktop would show round the window.
inline QString screenshot(QWidget* window, const QString& name) {
    return kittest::saveOnDesktop(window, name, QStringLiteral("copy"));
}

// The Copy Disk screen in a harness on a Mac of that preset, copies starting at kCopyTime, its disks of the
// usb-exfat preset; the confirmation's "Copy Now" accepts. Pictures of error dialogs are named after their
// message.
class Harness : public screentest::ScreenHarness {
public:
    explicit Harness(const QString& preset = QStringLiteral("apple-silicon-13"));

    void copyNow() { start(); }

    DiskCopyViewController* screen = nullptr;

private:
    std::optional<Question> question() const override;
    QString errorShot(const QString& message) const override;
};

}  // namespace copytest
