#include "ResultWidgets.h"

#include <QLabel>
#include <QLayout>
#include <QWidget>

#include <algorithm>

void ShowLimitWarning(QLabel* label, const QString& text)
{
    // Amber rather than red: the numbers are right as computed, they are only less reliable.
    label->setStyleSheet(
        QStringLiteral("QLabel { color: #5c3b00; background: #fff3d1; border: 1px solid #e3bf6a;"
                       " border-radius: 3px; padding: 3px 6px; }"));
    label->setText(text);
    label->setVisible(!text.isEmpty());
}

void FixSizeToContents(QWidget* window, const QSize& minimum)
{
    window->setMinimumSize(0, 0);
    window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    QLayout* layout = window->layout();
    layout->activate();
    QSize size = window->sizeHint().expandedTo(minimum);
    // A word-wrapped label's size hint assumes a width of its own; at the window's width it
    // may need more or fewer lines.
    if (layout->hasHeightForWidth())
        size.setHeight(std::max(minimum.height(), layout->totalHeightForWidth(size.width())));
    window->setFixedSize(size);
}
