#include "SonorixApplication.h"

#include "Language.h"
#include "QtMessagePresenter.h"
#include "TMain.h"

#include <QLocale>
#include <QMessageBox>

#include <exception>

#include "NumberText.h"

SonorixApplication::SonorixApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Sonorix"));
    setOrganizationName(QStringLiteral("Sonorix"));
    // The store's choice, else the system's language; Qt's own dialogs follow it.
    InstallLanguage(StartLanguage());
}

bool SonorixApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowException(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowException(QString());
    }
    return false;
}

void SonorixApplication::ShowException(const QString& message)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Sonorix"), message, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

int RunSonorix(int argc, char** argv)
{
    try {
        SonorixApplication app(argc, argv);
        QtMessagePresenter presenter;
        SetMessagePresenter(&presenter);
        SetDecimalSeparator(QLocale().decimalPoint().at(0).toLatin1());
        int rc = 0;
        try {
            TMain w;
            w.showMaximized();
            app.exec();
        } catch (const std::exception& e) {
            SonorixApplication::ShowException(QString::fromLocal8Bit(e.what()));
        } catch (...) {
            SonorixApplication::ShowException(QString());
        }
        SetMessagePresenter(nullptr);
        return rc;
    } catch (...) {
        // Nothing is left to show it with; the program still ends normally.
        return 0;
    }
}
