#pragma once

#include "tests/support/TestEnv.h"

#include <QByteArray>
#include <QString>

#include <gtest/gtest.h>

namespace testsupport {

// A test on a fresh simulated Mac folder whose event log it writes itself, a line at a time or in pieces.
class SimEventsTest : public ::testing::Test {
protected:
    // One complete line of the log: its fields percent-encoded, tab-separated, a tab before the newline.
    static QByteArray line(int seq, const char* event, const QString& bsd, const QString& mountPoint = {},
                           const QString& name = {});
    void append(const QByteArray& bytes) const;

    TempSimRoot sim_;
};

}  // namespace testsupport
