#include "WrittenNote.h"

#include "MessageBox.h"
#include "ResultText.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QMainWindow>
#include <QStatusBar>

namespace {
const QString kBarName = QStringLiteral("writtenNote");

QStatusBar* addedBar(QWidget* window)
{
    return window->findChild<QStatusBar*>(kBarName, Qt::FindDirectChildrenOnly);
}

// A line under everything else in the dialog's own layout; a dialog whose layout has no bottom
// row to add to (side-by-side columns) gets it at the bottom of its widest column instead.
QStatusBar* addBar(QWidget* window)
{
    auto* bar = new QStatusBar(window);
    bar->setObjectName(kBarName);
    bar->setSizeGripEnabled(false);
    QLayout* layout = window->layout();
    if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
        grid->addWidget(bar, grid->rowCount(), 0, 1, grid->columnCount());
    } else if (auto* box = qobject_cast<QBoxLayout*>(layout);
               box &&
               (box->direction() == QBoxLayout::TopToBottom || box->direction() == QBoxLayout::BottomToTop)) {
        box->addWidget(bar);
    } else if (box) {
        QBoxLayout* column = nullptr;
        for (int i = 0; i < box->count(); ++i) {
            auto* inner = qobject_cast<QBoxLayout*>(box->itemAt(i)->layout());
            if (inner && inner->direction() == QBoxLayout::TopToBottom &&
                (!column || inner->geometry().width() > column->geometry().width()))
                column = inner;
        }
        if (column)
            column->addWidget(bar);
        else
            box->addWidget(bar);
    } else {
        bar->setGeometry(0, window->height() - bar->sizeHint().height(), window->width(),
                         bar->sizeHint().height());
    }
    bar->show();
    return bar;
}
}   // namespace

QStatusBar* WrittenNoteBar(QWidget* widget)
{
    if (!widget)
        return nullptr;
    QWidget* window = widget->window();
    if (auto* main = qobject_cast<QMainWindow*>(window))
        return main->statusBar();
    return addedBar(window);
}

void ShowWritten(QWidget* widget, const QString& path)
{
    if (!widget)
        return;
    QWidget* window = widget->window();
    QStatusBar* bar = WrittenNoteBar(window);
    if (!bar)
        bar = addBar(window);
    const QString shown = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    bar->showMessage(QCoreApplication::translate("WrittenNote", "Записано: %1").arg(shown), kWrittenNoteMs);
}

bool MayReplaceFile(const QString& fileName)
{
    return !QFileInfo::exists(fileName) ||
           ShowMessageBox(
               "Внимание!",
               QCoreApplication::translate("WrittenNote", "Файл существует.Переписать?").toStdString(),
               MB_YESNO | MB_ICONQUESTION) == IDYES;
}

bool WriteFileNoted(QWidget* widget, const QString& fileName, const QByteArray& bytes)
{
    QString reason;
    if (!WriteFileReplacing(fileName, bytes, &reason)) {
        ShowPlainMessage(QCoreApplication::translate("WrittenNote", "Не удалось записать файл %1: %2")
                             .arg(QDir::toNativeSeparators(fileName), reason)
                             .toStdString());
        return false;
    }
    ShowWritten(widget, fileName);
    return true;
}
