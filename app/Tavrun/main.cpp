// The application Tavrun: started by its launcher with one argument, it runs; started without one, it hands
// over to the launcher and ends.
#include "app/shell/AppDelegate.h"
#include "app/shell/MyNSApplication.h"
#include "app/shell/StartUp.h"

#include <QTimer>

int main(int argc, char** argv) {
    return TavrunMain(argc, argv, [](int count, char** vector) {
        MyNSApplication application(count, vector);
        AppDelegate delegate;
        QTimer::singleShot(0, &delegate, &AppDelegate::applicationDidFinishLaunching);
        return application.exec();
    });
}
