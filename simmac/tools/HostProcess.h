#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace simmac {

// Runs one of the host's own programs ("/usr/bin/zip", "/bin/tar", …) from an argument list: never through a
// shell and never through the tool root, so a wrapper cannot end up running itself.
class HostProcess {
public:
    struct Result {
        int exitCode = -1;  // -1 when it did not start
        QByteArray out;
    };

    // Waits for it and keeps its standard output; its standard error is dropped (the caller reports).
    static Result capture(const QString& program, const QStringList& args, const QString& workingFolder = {});
    // Hands it the tool's own standard input, output and error; returns its exit status, or 128 + the signal
    // that killed it.
    static int forward(const QString& program, const QStringList& args, const QString& workingFolder = {});
};

}  // namespace simmac
