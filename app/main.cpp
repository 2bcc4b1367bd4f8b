#include "appcore.h"
#include "fptrmainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    installTranslator(app);
    {
        // The window goes before the application object: its destructor
        // saves the settings and releases the drivers.
        FptrMainWindow window;
        window.show();
        app.exec();
    }
    return 0;
}
