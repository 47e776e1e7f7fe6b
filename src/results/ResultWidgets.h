// Small pieces the result windows share: the look of the line that says a result lies beyond
// what the probe measures well, and a fixed window size that holds word-wrapped labels.
#pragma once

#include <QSize>
#include <QString>

class QLabel;
class QWidget;

// Shows `text` in the label as a notice bar, or hides the label when the text is empty.
void ShowLimitWarning(QLabel* label, const QString& text);

// Fixes the window's size to what its layout needs, word-wrapped labels included at the width
// the window gets, and at least `minimum`.
void FixSizeToContents(QWidget* window, const QSize& minimum = QSize());
