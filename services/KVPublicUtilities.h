#pragma once

#include <QString>
#include <QtGlobal>

// Shared helpers of the disk and file services; class methods only, no state between calls.
class KVPublicUtilities {
public:
    // Decimal size texts ("999 byte", "1.00 KB", … "1.50 TB"); convertVolSpace has no terabyte step.
    static QString convertVolSpace(quint64 bytes);
    static QString longlongDiskSize(qint64 bytes);
    static QString longlongConvertVolSpace(qint64 bytes);
};
