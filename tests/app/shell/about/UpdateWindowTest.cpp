#include "app/shell/KVCheckUpdateWindowController.h"
#include "app/shell/UpdateCheck.h"
#include "platform/Bundle.h"
#include "platform/Dispatch.h"
#include "platform/PropertyList.h"
#include "platform/Workspace.h"
#include "services/utilities/KVPublicUtilities.h"
#include "tests/support/TestEnv.h"
#include "tests/support/shell/ShellTestSupport.h"
#include "ui-kit/controls/TextImageButton.h"
#include "ui-kit/windows/ModalRun.h"
#include "ui-kit/windows/TCImageWindow.h"
#include "ui-kit/windows/WindowFade.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace std::chrono_literals;

constexpr auto kLimit = 300ms;

// A web server on the loopback address, served by the test's event loop; a path without an answer is never
// answered.
class LocalWebServer {
public:
    LocalWebServer() {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            QTcpSocket* socket = server_.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                const QString path = QString::fromLatin1(socket->readAll().split(' ').value(1));
                requests[path] += 1;
                if (answers_.contains(path)) {
                    socket->write(answers_.value(path));
                    socket->disconnectFromHost();
                }
            });
        });
    }
    QUrl url(const QString& path) const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path));
    }
    void answer(const QString& path, int status, const QByteArray& body) {
        answers_[path] = "HTTP/1.1 " + QByteArray::number(status) +
                         " X\r\nContent-Length: " + QByteArray::number(body.size()) +
                         "\r\nConnection: close\r\n\r\n" + body;
    }
    QHash<QString, int> requests;

private:
    QTcpServer server_;
    QHash<QString, QByteArray> answers_;
};

// A bundle whose "VersionCheck" is 100, with the probe and the release description on the test's own server;
// addresses opened are recorded, the fetch's limit and the fades shortened.
class UpdateCheckTest : public ::testing::Test {
protected:
    UpdateCheckTest() {
        server.answer("/probe", 200, "up");
        KVPublicUtilities::setNetworkProbeURLForTesting(server.url("/probe"));
        writePrivateData(server.url("/Tavrun.plist").toString());
        platform::Bundle::setResourcesFolderForTesting(resources.path());
        platform::Workspace::setOpenURLForTesting(
            [this](const QUrl& url) { return opened.append(url), true; });
        shell::UpdateCheck::setFetchLimitForTesting(kLimit);
        kit::WindowFade::setDurationForTesting(250);  // long enough to be seen running on a busy machine
    }
    ~UpdateCheckTest() override {
        EXPECT_TRUE(testsupport::waitUntil(
            [] { return platform::waitForGlobalQueue(std::chrono::milliseconds::zero()); }));
        kit::WindowFade::setDurationForTesting(0);
        shell::UpdateCheck::setFetchLimitForTesting(0ms);
        platform::Workspace::setOpenURLForTesting({});
        platform::Bundle::setResourcesFolderForTesting({});
    }

    void writePrivateData(const QString& iniURL) {
        QFile file(resources.filePath("PrivateData.plist"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(platform::PropertyList::toXml(
            QVariantMap{{"VersionCheck", 100}, {"en", QVariantMap{{"IniURL", iniURL}}}}));
    }
    void serve(const QVariantMap& description) {
        server.answer("/Tavrun.plist", 200, platform::PropertyList::toXml(description));
    }
    // The view shown once the check has left "checking" (or "checking" when it does not in time).
    static QString settledView(KVCheckUpdateWindowController& update, int timeoutMs = 10000) {
        testsupport::waitUntil([&] { return update.checkProgressView()->isHidden(); }, timeoutMs);
        QStringList shown;
        for (const auto& [view, name] : {std::pair{update.checkProgressView(), "checking"},
                                         {update.noNetworkView(), "no network"},
                                         {update.noUpdateView(), "no update"},
                                         {update.haveUpdateView(), "update"}}) {
            shown.append(view->isHidden() ? QString() : QString(name));
        }
        shown.removeAll(QString());
        return shown.join(" + ");
    }
    static void screenshot(KVCheckUpdateWindowController& update, const QString& name) {
        update.window()->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(update.window()));
        shelltest::saveScreenshot(update.window(), name);
    }

    testsupport::TempSimRoot sim;
    QTemporaryDir resources;
    LocalWebServer server;
    QList<QUrl> opened;
};

struct DescriptionRow {
    const char* name;
    QVariantMap description;
    const char* view;
    const char* heading;
    QStringList rows;
};

class ReleaseDescriptions : public UpdateCheckTest, public ::testing::WithParamInterface<DescriptionRow> {};

// A newer release with `count` feature lines, and the rows the window shows of them.
QVariantMap releaseWithLines(int count) {
    QVariantMap description{{"VersionCheck", 101}, {"Version", "4.0"}};
    for (int line = 1; line <= count; ++line) {
        description.insert(QString::number(line), QStringLiteral("Line %1").arg(line));
    }
    return description;
}

QStringList rowsUpTo(int count) {
    QStringList rows;
    for (int line = 1; line <= count; ++line) {
        rows.append(QStringLiteral("%1:Line %1").arg(line));
    }
    return rows;
}

const QString kLong = QStringLiteral(
    "Copies keep every folder's dates and permissions, and a copy that stops half-way can be started again "
    "without copying the files that already arrived; large folders are listed while they are scanned.");

}  // namespace

TEST_P(ReleaseDescriptions, DecideTheViewListEveryNumberedLineInOrderAndOfferTheDownload) {
    serve(GetParam().description);
    KVCheckUpdateWindowController update;
    update.window();
    ASSERT_EQ(settledView(update), GetParam().view);
    if (GetParam().heading == nullptr) {
        return;
    }
    EXPECT_EQ(update.versionLabel()->text(), GetParam().heading);
    EXPECT_EQ(update.versionLabel()->textFormat(), Qt::PlainText);
    auto rows = update.showVersionScrollView()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    std::ranges::sort(rows, {}, [](QLabel* row) { return row->y(); });
    QStringList texts;
    int top = 0;
    for (QLabel* row : rows) {
        texts.append(row->text());
        EXPECT_EQ(row->textFormat(), Qt::PlainText) << "markup from the network is not rendered";
        QTextDocument toolTip;
        toolTip.setHtml(row->toolTip());
        EXPECT_EQ(toolTip.toPlainText(), row->text().mid(row->text().indexOf(':') + 1))
            << "nor in the tool tip";
        EXPECT_EQ(row->y(), top) << "stacked from the top, without gap or overlap";
        EXPECT_GE(row->height(), std::max(20, row->heightForWidth(row->width()))) << "the whole text shows";
        top = row->geometry().bottom() + 1;
    }
    EXPECT_EQ(texts, GetParam().rows);
    const int listHeight = update.showVersionScrollView()->height();
    EXPECT_GE(listHeight, top) << "no row below the list's end";
    EXPECT_EQ(listHeight, rows.isEmpty() ? 121 : std::max(listHeight, 121));
    screenshot(update, QStringLiteral("update-available-%1").arg(GetParam().name));
    QTest::mouseClick(update.installButton(), Qt::LeftButton, {}, update.installButton()->rect().center());
    EXPECT_EQ(opened, QList<QUrl>{KVCheckUpdateWindowController::kDownloadURL}) << "Install Now";
    EXPECT_TRUE(update.window()->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReleaseDescriptions,
    ::testing::Values(
        DescriptionRow{"EqualVersions", {{"VersionCheck", 100}, {"1", "old"}}, "no update", nullptr, {}},
        DescriptionRow{"NewerWithThreeLines",
                       {{"VersionCheck", 101},
                        {"Version", "1.1.0"},
                        {"1", "Faster copies"},
                        {"2", "Disk images of chosen files"},
                        {"3", "First Aid on APFS volumes"}},
                       "update",
                       "New features of version 1.1.0:",
                       {"1:Faster copies", "2:Disk images of chosen files", "3:First Aid on APFS volumes"}},
        DescriptionRow{"OnlyTheTwoVersionKeys",
                       {{"VersionCheck", "101"}, {"Version", "1.1"}},
                       "update",
                       "New features of version 1.1:",
                       {}},
        DescriptionRow{"GapAndExtraKeys",
                       {{"VersionCheck", 101},
                        {"Version", "2.0"},
                        {"1", "a"},
                        {"2", "b"},
                        {"4", "d"},
                        {"10", "j"},
                        {"Date", "2024"},
                        {"0", "zero"},
                        {"01", "lead"},
                        {"-3", "minus"}},
                       "update",
                       "New features of version 2.0:",
                       {"1:a", "2:b", "4:d", "10:j"}},
        DescriptionRow{
            "RowsOfDifferentHeights",
            {{"VersionCheck", 101}, {"Version", "2.1"}, {"1", "Short"}, {"2", kLong}, {"3", "Again"}},
            "update",
            "New features of version 2.1:",
            {"1:Short", "2:" + kLong, "3:Again"}},
        DescriptionRow{
            "MarkupInARow",
            {{"VersionCheck", 101}, {"Version", "<i>3.0</i>"}, {"1", "<b>bold</b> & <a href='x'>a</a>"}},
            "update",
            "New features of version <i>3.0</i>:",
            {"1:<b>bold</b> & <a href='x'>a</a>"}},
        DescriptionRow{"MoreLinesThanTheWindowShows", releaseWithLines(3000), "update",
                       "New features of version 4.0:", rowsUpTo(100)}),
    [](const auto& row) { return std::string(row.param.name); });

struct FetchFailure {
    const char* name;
    int status;  // 0: never answered
    QByteArray body;
};

class UnreadableDescriptions : public UpdateCheckTest, public ::testing::WithParamInterface<FetchFailure> {};

TEST_P(UnreadableDescriptions, CountAsNoNewerRelease) {
    if (GetParam().status != 0) {
        server.answer("/Tavrun.plist", GetParam().status, GetParam().body);
    }
    QElapsedTimer clock;
    clock.start();
    KVCheckUpdateWindowController update;
    update.window();
    EXPECT_EQ(settledView(update), "no update");
    EXPECT_EQ(server.requests.value("/Tavrun.plist"), 1);
    EXPECT_GE(clock.elapsed(), GetParam().status == 0 ? std::chrono::milliseconds(kLimit).count() : 0);
    screenshot(update, "update-no-update");
}

INSTANTIATE_TEST_SUITE_P(Table, UnreadableDescriptions,
                         ::testing::Values(FetchFailure{"NeverAnswered", 0, {}},
                                           FetchFailure{"NotFound", 404, "<plist><dict/></plist>"},
                                           FetchFailure{"NotAPropertyList", 200, "<html>newer!</html>"},
                                           FetchFailure{"LongerThanADescriptionCanBe", 200,
                                                        platform::PropertyList::toXml(QVariantMap{
                                                            {"VersionCheck", 101},
                                                            {"Padding", QString(300 * 1024, u'x')}})}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(UpdateCheckTest, ADescriptionInAFileOfTheMacIsReadAndNoAddressMeansNoUpdate) {
    sim.writeFile("/Library/Updates/Tavrun.plist",
                  platform::PropertyList::toXml(QVariantMap{{"VersionCheck", 101}, {"Version", "1.2"}}));
    writePrivateData("file:///Library/Updates/Tavrun.plist");
    KVCheckUpdateWindowController fromFile;
    fromFile.window();
    EXPECT_EQ(settledView(fromFile), "update");
    writePrivateData({});
    KVCheckUpdateWindowController withoutAddress;
    withoutAddress.window();
    EXPECT_EQ(settledView(withoutAddress), "no update");
}

TEST_F(UpdateCheckTest, NoNetworkShowsItsViewAndFetchesNothing) {
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost);
    KVPublicUtilities::setNetworkProbeURLForTesting(
        QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(closed.serverPort())));
    closed.close();
    serve({{"VersionCheck", 101}});
    KVCheckUpdateWindowController update;
    update.window();
    screenshot(update, "update-checking");
    EXPECT_EQ(settledView(update), "no network");
    EXPECT_EQ(server.requests.value("/Tavrun.plist"), 0);
    screenshot(update, "update-no-network");
}

TEST_F(UpdateCheckTest, AWindowGoneDuringTheProbeHearsNothingAndFetchesNothing) {
    serve({{"VersionCheck", 101}});
    KVCheckUpdateWindowController{}.window();  // gone before the probe can answer
    EXPECT_TRUE(testsupport::waitUntil(
        [] { return platform::waitForGlobalQueue(std::chrono::milliseconds::zero()); }));
    QCoreApplication::sendPostedEvents();  // the probe's answer, to nobody
    // A later window's whole check: a fetch of the gone one would have reached the server before it.
    KVCheckUpdateWindowController later;
    later.window();
    EXPECT_NE(settledView(later), "checking");
    EXPECT_EQ(server.requests.value("/probe"), 2);
    EXPECT_EQ(server.requests.value("/Tavrun.plist"), 1);
}

TEST_F(UpdateCheckTest, AWindowClosedDuringTheFetchStaysAsItWas) {
    KVCheckUpdateWindowController update;
    update.window();
    ASSERT_TRUE(testsupport::waitUntil([&] { return server.requests.value("/Tavrun.plist") == 1; }));
    update.closeWindowAction();
    QTimer passed;  // started after the fetch's limit, and longer
    passed.setSingleShot(true);
    passed.start(kLimit * 2);
    ASSERT_TRUE(testsupport::waitUntil([&] { return !passed.isActive(); })) << "past the fetch's limit";
    EXPECT_EQ(settledView(update, 0), "checking") << "the limit passed after the close: no view changes";
}

struct CloseWay {
    const char* name;
    std::function<void(KVCheckUpdateWindowController&)> close;
    int terminations;  // how often the window asks the application to terminate
};

class UpdateWindowClosing : public UpdateCheckTest, public ::testing::WithParamInterface<CloseWay> {};

TEST_P(UpdateWindowClosing, EndsTheModalRun) {
    serve({{"VersionCheck", 100}});
    KVCheckUpdateWindowController update;
    int terminations = 0;
    update.setTerminateApplication([&] {
        ++terminations;
        EXPECT_FALSE(update.window()->isVisible()) << "closed before the application is asked again";
        EXPECT_EQ(update.applicationShouldTerminate(), MyNSApplication::NSTerminateNow) << "asked again";
    });
    QTimer::singleShot(0, [&] {
        settledView(update);
        GetParam().close(update);
    });
    EXPECT_EQ(kit::ModalRun::runModalForWindow(update.window()), kit::ModalRun::kResponseStop);
    EXPECT_FALSE(update.window()->isVisible());
    EXPECT_EQ(terminations, GetParam().terminations);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, UpdateWindowClosing,
    ::testing::Values(CloseWay{"CloseButton",
                               [](KVCheckUpdateWindowController& u) {
                                   QTest::mouseClick(u.window()->standardWindowButton(0), Qt::LeftButton);
                               },
                               0},
                      CloseWay{"OkOfTheNoUpdateView",
                               [](KVCheckUpdateWindowController& u) {
                                   QTest::mouseClick(u.noUpdateButton(), Qt::LeftButton, {},
                                                     u.noUpdateButton()->rect().center());
                               },
                               0},
                      CloseWay{"FadesOutOnTheStandardPath",
                               [](KVCheckUpdateWindowController& u) {
                                   u.window()->performClose();
                                   EXPECT_TRUE(u.window()->isVisible()) << "open while it fades";
                               },
                               0},
                      CloseWay{"QuitFadesOutFirstThenQuits",
                               [](KVCheckUpdateWindowController& u) {
                                   EXPECT_EQ(u.applicationShouldTerminate(),
                                             MyNSApplication::NSTerminateCancel);
                                   EXPECT_TRUE(u.shuttingDown());
                                   EXPECT_TRUE(u.window()->isVisible()) << "open while it fades";
                               },
                               1}),
    [](const auto& row) { return std::string(row.param.name); });
