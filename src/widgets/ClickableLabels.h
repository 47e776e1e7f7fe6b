// Turns a mouse click on a plain widget (a label, a picture) into a callback, the way the
// main window and the about box treat their link label and logo.
#pragma once

#include <QObject>

#include <functional>

class QWidget;

void OnClick(QWidget* widget, std::function<void()> handler);
