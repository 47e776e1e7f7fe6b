// Saves a picture of each window into the folder named on the command line.
#include "SettingsStore.h"
#include "TAboutBox.h"
#include "TMain.h"
#include "TS_Wait.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {
QString g_outDir;

void settle(int ms = 150)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool save(QWidget* w, const QString& name)
{
    settle();
    const QString path = QDir(g_outDir).filePath(name + QStringLiteral(".png"));
    const bool ok = w->grab().save(path);
    std::printf("%s %s\n", ok ? "saved" : "FAILED", qPrintable(path));
    return ok;
}
}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    g_outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(g_outDir);

    // The pictures show a first start; the user's own settings are neither read nor changed.
    QTemporaryDir store;
    SettingsStore::SetFileName(store.filePath(QStringLiteral("Sonorix.ini")));

    bool ok = true;
    TMain main;
    main.resize(982, 393 + 60);
    main.show();
    ok &= save(&main, QStringLiteral("main-window"));

    TAboutBox about(&main);
    about.show();
    ok &= save(&about, QStringLiteral("about-box"));
    about.hide();

    TS_Wait wait(&main);
    wait.showAndPaint();
    ok &= save(&wait, QStringLiteral("wait-notice"));

    return ok ? 0 : 1;
}
