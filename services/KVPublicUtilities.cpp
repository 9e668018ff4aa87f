#include "services/KVPublicUtilities.h"

namespace {

// Each quotient is computed in double precision and then held as a 32-bit float, as it is printed.
QString scaled(double count, double divisor, const char* unit) {
    const auto value = static_cast<float>(count / divisor);
    return QString::asprintf("%0.2f %s", static_cast<double>(value), unit);
}

QString sizeText(double count, bool terabytes) {
    if (count < 1000.0) {
        return QString::asprintf("%.0f byte", static_cast<double>(static_cast<float>(count)));
    }
    if (count < 1e6) {
        return scaled(count, 1e3, "KB");
    }
    if (count < 1e9) {
        return scaled(count, 1e6, "MB");
    }
    if (count < 1e12 || !terabytes) {
        return scaled(count, 1e9, "GB");
    }
    return scaled(count, 1e12, "TB");
}

}  // namespace

QString KVPublicUtilities::convertVolSpace(quint64 bytes) {
    return sizeText(static_cast<double>(bytes), false);
}

QString KVPublicUtilities::longlongDiskSize(qint64 bytes) {
    return sizeText(static_cast<double>(bytes), true);
}

QString KVPublicUtilities::longlongConvertVolSpace(qint64 bytes) {
    return longlongDiskSize(bytes);
}
