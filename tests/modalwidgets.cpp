// SPDX-License-Identifier: GPL-3.0-or-later
#include "modalwidgets.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

void onModal(QObject* context, std::function<void(QWidget*)> handler)
{
    auto* timer = new QTimer(context);
    QObject::connect(timer, &QTimer::timeout, context, [timer, handler] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            handler(modal);
        }
    });
    timer->start(10);
}
