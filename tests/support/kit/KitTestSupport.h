#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QPair>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

class QAbstractButton;

namespace kittest {

// Moves the pointer into or out of a shown widget the way the window system reports it.
void hover(QWidget* widget, bool inside);

// A shown window holding one view of the given class, 20 points in from the window's edges. The pointer
// starts outside the view, wherever an earlier test left it.
template <typename View>
struct Shown {
    explicit Shown(QSize size) {
        window.resize(size.width() + 40, size.height() + 40);
        view = new View(&window);
        view->setGeometry(20, 20, size.width(), size.height());
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        hover(view, false);
    }
    QWidget window;
    View* view = nullptr;
};

// The widget as it paints itself, at one pixel per point, on a transparent ground.
QImage render(QWidget* widget);
// The colour at (x, y) in the widget's own (Qt) coordinates.
QColor pixel(const QImage& image, int x, int y);
// Near enough for antialiased or rounded colours.
bool sameColor(const QColor& a, const QColor& b, int tolerance = 3);

// The colour of the named image at a point of it, and whether `widget` paints that colour there.
QColor imageColor(const QString& name, QPoint at);
bool showsImageColor(QWidget* widget, QPoint at, const QString& image, int tolerance = 3);

// Saves a screenshot under <build>/screenshots/<folder>/<name>.png, whole or not at all, and returns the
// path.
QString saveScreenshot(const QImage& image, const QString& name,
                       const QString& folder = QStringLiteral("ui-kit"));
// A picture of a window or view under <build>/screenshots/<folder>, 20 points in on the grey a desktop would
// show round a translucent window; returns the path.
QString saveOnDesktop(QWidget* window, const QString& name, const QString& folder);

// A click in the middle of the button.
void click(QAbstractButton* button);
// The window is shown and runs modally.
bool isRunning(QWidget* window);

// One picture of many captioned screenshots, laid out in rows, for people to review at a glance.
class ContactSheet {
public:
    void add(const QString& caption, const QImage& image);
    // Adds every screenshot saved in a folder, by name, except the named ones.
    void addScreenshotsIn(const QString& folder, const QStringList& skip = {});
    QImage compose(int width = 1400) const;

private:
    QList<QPair<QString, QImage>> entries_;
};

}  // namespace kittest
