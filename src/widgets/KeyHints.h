// Keyboard shortcuts that say themselves: a button's or a window's key is added to the tooltip
// of the control it stands for, so the user finds it where the mouse already is.
#pragma once

#include <QKeySequence>

#include <functional>

class QAbstractButton;
class QShortcut;
class QWidget;

// "<tooltip> (<key>)", or the key alone on a control without a tooltip.
void ShowKeyInToolTip(QWidget* control, const QKeySequence& key);
// The button's own shortcut (active anywhere in its window), shown in its tooltip.
void SetButtonShortcut(QAbstractButton* button, const QKeySequence& key);
// A key for the whole window that does `action`; shown in the tooltip of `control`, if any.
QShortcut* AddWindowKey(QWidget* window, const QKeySequence& key, std::function<void()> action,
                        QWidget* control = nullptr);
