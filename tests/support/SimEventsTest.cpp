#include "tests/support/SimEventsTest.h"

#include <QDir>
#include <QFile>

namespace testsupport {

QByteArray SimEventsTest::line(int seq, const char* event, const QString& bsd, const QString& mountPoint,
                               const QString& name) {
    return QByteArray::number(seq) + '\t' + event + '\t' + bsd.toUtf8().toPercentEncoding() + '\t' +
           mountPoint.toUtf8().toPercentEncoding("/") + '\t' + name.toUtf8().toPercentEncoding() + "\t\n";
}

void SimEventsTest::append(const QByteArray& bytes) const {
    QDir().mkpath(sim_.host("/.sim"));
    QFile out(sim_.host("/.sim/events.log"));
    ASSERT_TRUE(out.open(QIODevice::Append));
    out.write(bytes);
}

}  // namespace testsupport
