#pragma once

#include <QDateTime>
#include <QString>
#include <QUrl>
#include <QVariantMap>
#include <QtGlobal>

#include <optional>

// A text with the attributes it is drawn with; the screens turn it into a label (services hold no GUI
// types).
struct KVAttributedText {
    QString text;
    int red = 255;
    int green = 255;
    int blue = 255;
    double alpha = 1.0;
    double systemFontSize = 0;
    Qt::Alignment alignment = Qt::AlignHCenter;
};

// Shared helpers of the disk and file services; class methods only, no state between calls. The
// property lists are read anew at every call.
class KVPublicUtilities {
public:
    // Decimal size texts ("999 byte", "1.00 KB", … "1.50 TB"); convertVolSpace has no terabyte step.
    static QString convertVolSpace(quint64 bytes);
    static QString longlongDiskSize(qint64 bytes);
    static QString longlongConvertVolSpace(qint64 bytes);
    static bool isMoreThan2GB(qint64 bytes);
    // "1.50 GB" -> 1500000000, in single precision; any text it cannot read gives 0.
    static quint64 volSpaceFromString(const QString& text);
    static QString fileSystemTypeForInt(int code, bool isDmg, bool isEdi);

    // "PrivateData.plist" of the bundle.
    static std::optional<QString> getInstallVersion();
    static std::optional<QString> getUpDataTimeStr();
    static void writeUpDataTimeStr(const QString& time);
    static bool isBootable();

    // Whether a request for Apple's home page brings back any data within 5 seconds. Blocks: not for
    // the main thread.
    static bool isCanBeUseNetWork();
    // Tests point the probe at a server of their own on the loopback address.
    static void setNetworkProbeURLForTesting(const QUrl& url);

    // Long date style and short time style of the user's locale.
    static std::optional<QDateTime> convertDateFromString(const QString& text);

    // Major × 100 + minor (1015 for 10.15, 1300 for 13.0); 1000 when the version cannot be read.
    static int getSystemVersion();
    // Each part is stored only through a non-null pointer.
    static void getSystemVersionMajor(int* major, int* minor, int* bugFix);
    // The first entry of the user default "AppleLanguages"; empty when there is none.
    static QString GetCurrentLanaguage();

    // diskutil info -plist of a BSD name, a "/dev/" node or a mount point; nothing for a null text or
    // when the tool gives no information.
    static std::optional<QVariantMap> KVGetDiskInfo(const QString& device);
    static KVAttributedText setAddItunesBackup(const QString& text, double fontSize);
    static void writeFileWithTab(const QString& text);
};
