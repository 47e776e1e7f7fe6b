#include "KeyHints.h"

#include <QAbstractButton>
#include <QShortcut>

void ShowKeyInToolTip(QWidget* control, const QKeySequence& key)
{
    const QString keyText = key.toString(QKeySequence::NativeText);
    const QString tip = control->toolTip();
    control->setToolTip(tip.isEmpty() ? keyText : QStringLiteral("%1 (%2)").arg(tip, keyText));
}

void SetButtonShortcut(QAbstractButton* button, const QKeySequence& key)
{
    button->setShortcut(key);
    ShowKeyInToolTip(button, key);
}

QShortcut* AddWindowKey(QWidget* window, const QKeySequence& key, std::function<void()> action,
                        QWidget* control)
{
    auto* shortcut = new QShortcut(key, window);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, window, std::move(action));
    if (control)
        ShowKeyInToolTip(control, key);
    return shortcut;
}
