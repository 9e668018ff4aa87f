#include "tests/app/copy/CopyHarness.h"

#include "app/copy/CopyMakeSureWC.h"
#include "app/copy/DiskCopyViewController.h"
#include "app/sources/ScreenMessages.h"
#include "ui-kit/controls/CancelTextImageButton.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/windows/TCImageWindow.h"

namespace copytest {

Harness::Harness(const QString& preset)
    : ScreenHarness(preset, kCopyTime, QStringLiteral("usb-exfat"), QStringLiteral("copy")) {
    fileListShot_ = QStringLiteral("file-list");
    screen = new DiskCopyViewController(window.get());
    open(screen);
}

std::optional<screentest::ScreenHarness::Question> Harness::question() const {
    return questionOf(screen->makeSureWC());
}

QString Harness::errorShot(const QString& message) const {
    return message == sources::kSameVolumeMessage          ? "error-same-volume"
           : message == sources::kInsufficientSpaceMessage ? "error-insufficient-space"
           : message == sources::kUnpluggedMessage         ? "error-unplugged"
                                                           : "error-nothing-selected";
}

}  // namespace copytest
