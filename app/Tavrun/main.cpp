// The application Tavrun: started by its launcher with one argument, it runs; started without one, it hands
// over to the launcher and ends.
#include "app/shell/AppDelegate.h"
#include "app/shell/MyNSApplication.h"
#include "app/shell/StartUp.h"
#include "platform/TerminationSignals.h"

#include <QTimer>

int main(int argc, char** argv) {
    return TavrunMain(argc, argv, [](int count, char** vector) {
        MyNSApplication application(count, vector);
        AppDelegate delegate;
        // A logout or a kill asks, as Quit does; the process then ends in order.
        const platform::TerminationSignals quitSignals;
        QObject::connect(&quitSignals, &platform::TerminationSignals::received, &delegate,
                         &AppDelegate::terminate);
        QTimer::singleShot(0, &delegate, &AppDelegate::applicationDidFinishLaunching);
        const int result = application.exec();
        shell::endToolsAndWorkers();
        return result;
    });
}
