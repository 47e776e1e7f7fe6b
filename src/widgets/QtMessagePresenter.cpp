#include "QtMessagePresenter.h"

#include <QApplication>
#include <QMessageBox>

int QtMessagePresenter::present(MessageKind kind, const std::string& caption, const std::string& text,
                                int flags)
{
    QWidget* parent = QApplication::activeWindow();
    const QString title = QString::fromStdString(caption);
    const QString body = QString::fromStdString(text);
    if (kind == MessageKind::Plain) {
        QMessageBox box(QMessageBox::NoIcon, title, body, QMessageBox::Ok, parent);
        box.exec();
        return IDOK;
    }

    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (flags & 0xF0) {
    case MB_ICONERROR:
        icon = QMessageBox::Critical;
        break;
    case MB_ICONQUESTION:
        icon = QMessageBox::Question;
        break;
    case MB_ICONWARNING:
        icon = QMessageBox::Warning;
        break;
    case MB_ICONINFORMATION:
        icon = QMessageBox::Information;
        break;
    default:
        break;
    }
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    if ((flags & 0xF) == MB_YESNO)
        buttons = QMessageBox::Yes | QMessageBox::No;
    else if ((flags & 0xF) == MB_OKCANCEL)
        buttons = QMessageBox::Ok | QMessageBox::Cancel;

    QMessageBox box(icon, title, body, buttons, parent);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    case QMessageBox::Cancel:
        return IDCANCEL;
    default:
        return IDOK;
    }
}
