#include "tests/app/image/ImageHarness.h"

#include "app/image/DMGMakeSureWC.h"
#include "tests/support/TestEnv.h"
#include "ui-kit/controls/CancelTextImageButton.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QVariant>

#include <gtest/gtest.h>

namespace imagetest {

void Screen::copyFileToDmgWithFileName(const QString& text, float percent) {
    DmgViewController::copyFileToDmgWithFileName(text, percent);
    if (onReport) {
        onReport(text);
    }
}

Harness::Harness(const QString& preset)
    : ScreenHarness(preset, kTime, QStringLiteral("usb-hfs"), QStringLiteral("image")) {
    screen = new Screen(window.get());
    open(screen);
}

std::optional<screentest::ScreenHarness::Question> Harness::question() const {
    return questionOf(screen->makeSureWC());
}

namespace {

QString output(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(60000) && process.exitCode() == 0) << program.toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

}  // namespace

Files Harness::imageContent(const QString& macImage) const {
    QTemporaryDir unpacked;
    output(QStringLiteral("tar"),
           {QStringLiteral("-xf"), sim.host(macImage), QStringLiteral("-C"), unpacked.path()});
    Files files = screentest::filesBelow(unpacked.path());
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
    const QVariantList all = sim.state().value(QStringLiteral("Disks")).toList();
    return static_cast<int>(std::count_if(all.begin(), all.end(), [](const QVariant& disk) {
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

}  // namespace imagetest
