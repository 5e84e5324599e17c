// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/mainwindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // Wayland finds the window's icon through the desktop entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.lenstally.Lenstally"));
    MainWindow window;
    window.rememberSettings();
    window.show();
    return app.exec();
}
