#include "app/appsetup.h"

#include <QGuiApplication>

namespace gorse {

void setUpApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("gorse"));
    // The program ends when the main window closes, whatever else is open.
    QGuiApplication::setQuitOnLastWindowClosed(false);
}

} // namespace gorse
