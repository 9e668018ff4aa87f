#include "services/utilities/KVPublicUtilities.h"

#include "platform/BundleResource.h"
#include "platform/LogCategories.h"
#include "platform/NetworkProbe.h"
#include "platform/SystemInfo.h"
#include "platform/TestSettings.h"
#include "platform/UserDefaults.h"
#include "services/disks/DiskUtilCommands.h"
#include "services/disks/ExecCommand.h"

#include <QLocale>
#include <QRegularExpression>

#include <array>
#include <cmath>
#include <limits>
#include <mutex>
#include <utility>

namespace {

const QString kPrivateData = QStringLiteral("PrivateData");

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

// The number a text starts with, after blanks, as a float; 0 when it starts with none.
float leadingFloat(const QString& text) {
    static const QRegularExpression number(
        QStringLiteral(R"(^\s*([+-]?(?:\d+\.?\d*|\.\d+)(?:[eE][+-]?\d+)?))"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch()) {
        return 0.0F;
    }
    const double value = QLocale::c().toDouble(match.captured(1));
    if (std::fabs(value) > std::numeric_limits<float>::max()) {
        return value > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(value);
}

// Negative and unreadable amounts are no bytes; amounts past the range are the largest count.
quint64 toByteCount(float value) {
    constexpr float kTwoTo64 = 18446744073709551616.0F;
    if (!(value > 0.0F)) {
        return 0;
    }
    return value >= kTwoTo64 ? std::numeric_limits<quint64>::max() : static_cast<quint64>(value);
}

std::optional<QString> privateDataString(const QString& key) {
    const auto plist = platform::BundleResource::dictionary(kPrivateData);
    if (!plist || !plist->contains(key)) {
        return std::nullopt;
    }
    return plist->value(key).toString();
}

std::mutex probeMutex;
QUrl& probeURL() {
    static QUrl* url = new QUrl(QStringLiteral("https://www.apple.com/"));  // never destroyed
    return *url;
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

bool KVPublicUtilities::isMoreThan2GB(qint64 bytes) {
    return bytes > 999999 && static_cast<qint64>(static_cast<double>(bytes) / 1000000.0) > 2048;
}

quint64 KVPublicUtilities::volSpaceFromString(const QString& text) {
    if (text.isEmpty()) {
        return 0;
    }
    float value = leadingFloat(text.size() >= 2 ? text.chopped(2) : QString());
    if (text.endsWith(u"KB")) {
        if (value > 0.0F) {
            value *= 1000.0F;
        }
    } else if (text.endsWith(u"MB")) {
        value *= 1000000.0F;
    } else if (text.endsWith(u"GB")) {
        value *= 1000000000.0F;
    } else if (text.endsWith(u"TB")) {
        value *= 1000000000000.0F;
    } else {
        return 0;
    }
    return toByteCount(value);
}

QString KVPublicUtilities::fileSystemTypeForInt(int code, bool isDmg, bool /*isEdi*/) {
    static const std::array<const char*, 11> names{"FAT12", "FAT16", "FAT32", "NTFS", "EXT2",   "EXT3",
                                                   "RAW",   "EXFAT", "HFS+",  "APFS", "Unknown"};
    if (isDmg) {
        return QStringLiteral("Disk Image");
    }
    if (code < 0 || code >= static_cast<int>(names.size())) {
        return QStringLiteral("Disk");
    }
    return QLatin1String(names[static_cast<size_t>(code)]);
}

std::optional<QString> KVPublicUtilities::getInstallVersion() {
    return privateDataString(QStringLiteral("INSTALL_VERSION"));
}

std::optional<QString> KVPublicUtilities::getUpDataTimeStr() {
    return privateDataString(QStringLiteral("upDataTimeStr"));
}

void KVPublicUtilities::writeUpDataTimeStr(const QString& time) {
    auto plist = platform::BundleResource::dictionary(kPrivateData);
    if (!plist) {
        return;
    }
    plist->insert(QStringLiteral("upDataTimeStr"), time);
    platform::BundleResource::writeDictionary(kPrivateData, *plist);
}

bool KVPublicUtilities::isBootable() {
    return privateDataString(QStringLiteral("isBootable")) == u"YES";
}

bool KVPublicUtilities::isCanBeUseNetWork() {
    QUrl url;
    {
        std::lock_guard guard(probeMutex);
        url = probeURL();
    }
    return !platform::NetworkProbe::sendSynchronousRequest(url, std::chrono::seconds(5)).isEmpty();
}

void KVPublicUtilities::setNetworkProbeURLForTesting(const QUrl& url) {
    std::lock_guard guard(probeMutex);
    platform::restoreAfterTest([old = std::exchange(probeURL(), url)] {
        std::lock_guard restoring(probeMutex);
        probeURL() = old;
    });
}

std::optional<QDateTime> KVPublicUtilities::convertDateFromString(const QString& text) {
    const QLocale locale;
    const QString format =
        locale.dateFormat(QLocale::LongFormat) + u' ' + locale.timeFormat(QLocale::ShortFormat);
    const QDateTime date = locale.toDateTime(text, format);
    return date.isValid() ? std::optional(date) : std::nullopt;
}

void KVPublicUtilities::getSystemVersionMajor(int* major, int* minor, int* bugFix) {
    qint32 version = 0;
    qint32 parts[3] = {10, 0, 0};
    int error = platform::Gestalt(platform::gestaltSystemVersion, &version);
    if (error == 0 && version <= 0x103F) {
        parts[0] = 10 * ((version >> 12) & 0xF) + ((version >> 8) & 0xF);
        parts[1] = (version >> 4) & 0xF;
        parts[2] = version & 0xF;
    } else {
        error = platform::Gestalt(platform::gestaltSystemVersionMajor, &parts[0]);
        if (error == 0) {
            error = platform::Gestalt(platform::gestaltSystemVersionMinor, &parts[1]);
        }
        if (error == 0) {
            error = platform::Gestalt(platform::gestaltSystemVersionBugFix, &parts[2]);
        }
    }
    if (error != 0) {
        qCWarning(lcServices, "Unable to obtain system version: %ld", static_cast<long>(error));
        parts[0] = 10;
        parts[1] = 0;
        parts[2] = 0;
    }
    for (auto [out, value] : {std::pair{major, parts[0]}, {minor, parts[1]}, {bugFix, parts[2]}}) {
        if (out != nullptr) {
            *out = value;
        }
    }
}

int KVPublicUtilities::getSystemVersion() {
    int major = 0;
    int minor = 0;
    getSystemVersionMajor(&major, &minor, nullptr);
    const QString twoDigits = minor < 10 ? u'0' + QString::number(minor) : QString::number(minor);
    return (QString::number(major) + twoDigits).toInt();
}

QString KVPublicUtilities::GetCurrentLanaguage() {
    return platform::UserDefaults::objectForKey(QStringLiteral("AppleLanguages")).toStringList().value(0);
}

std::optional<QVariantMap> KVPublicUtilities::KVGetDiskInfo(const QString& device) {
    if (device.isNull()) {
        return std::nullopt;
    }
    return GetExecCommand(disk::DiskUtilCommands::info(device));
}

KVAttributedText KVPublicUtilities::setAddItunesBackup(const QString& text, double fontSize) {
    KVAttributedText attributed;
    attributed.text = text;
    attributed.systemFontSize = fontSize;
    return attributed;
}

void KVPublicUtilities::writeFileWithTab(const QString& /*text*/) {}
