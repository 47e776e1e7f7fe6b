// Every text a window shows: titles, captions, hints, list and table entries, menu items and
// the charts' axes, legends and labels. The language tests walk a window with it and look for
// texts left in the other language.
#pragma once

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QWidget>

#include <qcustomplot.h>

inline void AddModelTexts(const QAbstractItemModel* model, QStringList& texts)
{
    if (!model)
        return;
    for (int c = 0; c < model->columnCount(); ++c)
        texts << model->headerData(c, Qt::Horizontal).toString();
    for (int r = 0; r < model->rowCount(); ++r) {
        texts << model->headerData(r, Qt::Vertical).toString();
        for (int c = 0; c < model->columnCount(); ++c) {
            const QModelIndex index = model->index(r, c);
            texts << model->data(index, Qt::DisplayRole).toString()
                  << model->data(index, Qt::ToolTipRole).toString();
        }
    }
}

inline void AddPlotTexts(QCustomPlot* plot, QStringList& texts)
{
    for (QCPAxisRect* rect : plot->axisRects()) {
        for (QCPAxis* axis : rect->axes()) {
            texts << axis->label();
            // Text ticks name bands or points in words.
            if (auto ticker = axis->ticker().dynamicCast<QCPAxisTickerText>())
                for (const QString& tick : ticker->ticks())
                    texts << tick;
        }
    }
    for (int i = 0; i < plot->plottableCount(); ++i)
        texts << plot->plottable(i)->name();
    for (int i = 0; i < plot->graphCount(); ++i)
        texts << plot->graph(i)->name();
    for (int i = 0; i < plot->itemCount(); ++i)
        if (auto* text = qobject_cast<QCPItemText*>(plot->item(i)))
            texts << text->text();
    for (int i = 0; i < plot->plotLayout()->elementCount(); ++i)
        if (auto* title = qobject_cast<QCPTextElement*>(plot->plotLayout()->elementAt(i)))
            texts << title->text();
}

// The texts of root and of every widget and action under it, empty ones left out.
inline QStringList ShownTexts(QWidget* root)
{
    QStringList texts;
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* w : widgets) {
        if (w->isWindow())
            texts << w->windowTitle();
        texts << w->toolTip() << w->statusTip() << w->whatsThis();
        if (auto* label = qobject_cast<QLabel*>(w))
            texts << label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            texts << button->text();
        if (auto* group = qobject_cast<QGroupBox*>(w))
            texts << group->title();
        if (auto* edit = qobject_cast<QLineEdit*>(w))
            texts << edit->placeholderText();
        if (auto* spin = qobject_cast<QSpinBox*>(w))
            texts << spin->prefix() << spin->suffix();
        if (auto* spin = qobject_cast<QDoubleSpinBox*>(w))
            texts << spin->prefix() << spin->suffix();
        if (auto* spin = qobject_cast<QAbstractSpinBox*>(w))
            texts << spin->specialValueText();
        if (auto* combo = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < combo->count(); ++i)
                texts << combo->itemText(i);
        if (auto* tabs = qobject_cast<QTabWidget*>(w))
            for (int i = 0; i < tabs->count(); ++i)
                texts << tabs->tabText(i) << tabs->tabToolTip(i);
        if (auto* view = qobject_cast<QAbstractItemView*>(w))
            AddModelTexts(view->model(), texts);
        if (auto* text = qobject_cast<QPlainTextEdit*>(w))
            texts << text->toPlainText();
        if (auto* text = qobject_cast<QTextEdit*>(w))
            texts << text->toPlainText();
        if (auto* bar = qobject_cast<QStatusBar*>(w))
            texts << bar->currentMessage();
        if (auto* plot = qobject_cast<QCustomPlot*>(w))
            AddPlotTexts(plot, texts);
        for (QAction* action : w->actions())
            texts << action->text() << action->toolTip() << action->statusTip();
        if (auto* menu = qobject_cast<QMenu*>(w))
            texts << menu->title();
    }
    texts.removeAll(QString());
    return texts;
}

// The texts that hold a Cyrillic letter: what the English interface must not show.
inline QStringList RussianTexts(QWidget* root)
{
    static const QRegularExpression cyrillic(QStringLiteral("[\\x{0400}-\\x{04FF}]"));
    QStringList found = ShownTexts(root).filter(cyrillic);
    found.removeDuplicates();
    return found;
}
