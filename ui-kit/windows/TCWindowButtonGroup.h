#pragma once

#include <QString>

// The title-bar buttons that show their roll-over images together (a window's close, minimise and zoom
// buttons): the group counts how many of them the pointer is in and posts
// "TCWindowButtonGroupDidUpdateRolloverStateNotification" (user info: the group's identifier under
// kGroupIdentifierKey) whenever that count changes, so that every button of the group refreshes. The count
// never goes below zero. Groups are registered by identifier on first request and live as long as the
// process. Main thread only.
class TCWindowButtonGroup {
public:
    static constexpr const char* kDidUpdateRolloverStateNotification =
        "TCWindowButtonGroupDidUpdateRolloverStateNotification";
    static constexpr const char* kGroupIdentifierKey = "identifier";
    static constexpr const char* kDefaultIdentifier = "com.Talvern.TCImageWindow.defaultWindowButtonGroup";

    // The registered group for the identifier (the default one for a null identifier), made on first use.
    static TCWindowButtonGroup* groupWithIdentifier(const QString& identifier = QString());

    explicit TCWindowButtonGroup(const QString& identifier);

    const QString& identifier() const { return identifier_; }
    qint64 numberOfCaptures() const { return numberOfCaptures_; }
    // A negative value or the current one is ignored.
    void setNumberOfCaptures(qint64 count);
    void didCaptureMousePointer();
    void didReleaseMousePointer();
    void resetMouseCaptures();
    bool shouldDisplayRollOver() const { return numberOfCaptures_ > 0; }

private:
    QString identifier_;
    qint64 numberOfCaptures_ = 0;
};
