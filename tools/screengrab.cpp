// Saves what an X display shows, as composited, to a PNG file: the whole screen, or the rectangle given.
//     screengrab <file.png> [x y width height]
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2 && argc != 6) {
        std::fputs("usage: screengrab <file.png> [x y width height]\n", stderr);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        std::fputs("screengrab: no screen\n", stderr);
        return 1;
    }
    int area[4] = {0, 0, -1, -1};
    for (int i = 0; argc == 6 && i < 4; ++i) {
        bool ok = false;
        area[i] = QString::fromLocal8Bit(argv[i + 2]).toInt(&ok);
        if (!ok) {
            std::fputs("screengrab: the rectangle takes four whole numbers\n", stderr);
            return 2;
        }
    }
    // The root window holds what the compositor has drawn.
    const QPixmap shot = screen->grabWindow(0, area[0], area[1], area[2], area[3]);
    if (shot.isNull() || !shot.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fputs("screengrab: could not save the picture\n", stderr);
        return 1;
    }
    return 0;
}
