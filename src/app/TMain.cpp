#include "TMain.h"
#include "ui_TMain.h"

#include "Artwork.h"
#include "ClickableLabels.h"
#include "KeyHints.h"
#include "Language.h"
#include "MessageBox.h"
#include "SettingsStore.h"
#include "TS_Wait.h"
#include "Twww.h"

#include <QFileInfo>
#include <QApplication>
#include <QActionGroup>
#include <QCloseEvent>
#include <QToolButton>

namespace {
QToolButton* makeSpeedButton(QWidget* parent, const char* name, Glyph glyph)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setIcon(ToolbarGlyph(glyph));
    b->setIconSize(QSize(32, 32));
    b->setFixedSize(40, 40);
    b->setAutoRaise(true);
    return b;
}
}   // namespace

TMain::TMain(QWidget* parent, WindowLauncher launcher)
    : QMainWindow(parent), ui(new Ui::TMain), launcher_(std::move(launcher))
{
    ui->setupUi(this);
    setWindowIcon(SonorixIcon());

    SpeedButton2 = makeSpeedButton(this, "SpeedButton2", Glyph::Open);
    SpeedButton1 = makeSpeedButton(this, "SpeedButton1", Glyph::Settings);
    SpeedButton3 = makeSpeedButton(this, "SpeedButton3", Glyph::Channels);
    ui->ToolBar1->addWidget(SpeedButton2);
    ui->ToolBar1->addWidget(SpeedButton1);
    ui->ToolBar1->addWidget(SpeedButton3);

    connect(SpeedButton2, &QToolButton::clicked, this, &TMain::SpeedButton2Click);
    connect(SpeedButton1, &QToolButton::clicked, this, &TMain::SpeedButton1Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TMain::SpeedButton3Click);
    // The menu items perform the click of their toolbar buttons.
    connect(ui->N2, &QAction::triggered, SpeedButton2, &QToolButton::click);
    connect(ui->N6, &QAction::triggered, SpeedButton1, &QToolButton::click);
    connect(ui->N5, &QAction::triggered, SpeedButton3, &QToolButton::click);
    connect(ui->N7, &QAction::triggered, this, &TMain::N7Click);
    connect(ui->N10, &QAction::triggered, this, &TMain::N10Click);
    connect(ui->N3, &QAction::triggered, this, &TMain::N3Click);
    connect(ui->N8, &QAction::triggered, this, &TMain::N8Click);
    connect(ui->N9, &QAction::triggered, this, &TMain::N9Click);
    ui->N2->setShortcut(QKeySequence::Open);
    ui->N8->setShortcut(QKeySequence(Qt::Key_F1));

    // The language menu names each language in itself, so it reads the same in both.
    auto* languages = new QActionGroup(this);
    const auto addLanguage = [&](QAction* action, UiLanguage language) {
        action->setCheckable(true);
        action->setChecked(CurrentLanguage() == language);
        languages->addAction(action);
        connect(action, &QAction::triggered, this, [this, language] { SwitchLanguage(language); });
    };
    addLanguage(ui->LanguageRussian, UiLanguage::Russian);
    addLanguage(ui->LanguageEnglish, UiLanguage::English);
    retranslateCodeTexts();

    ui->Label1->setText(MakerWebAddress());
    ui->ProgramIcon->setPixmap(SonorixLogo(QSize(104, 58)));
    OnClick(ui->Label1, [this] { Label1Click(); });
    OnClick(ui->ProgramIcon, [this] { Label1Click(); });

    FormCreate();
}

void TMain::retranslateCodeTexts()
{
    SpeedButton2->setToolTip(tr("Открыть файл"));
    ShowKeyInToolTip(SpeedButton2, QKeySequence::Open);
    SpeedButton1->setToolTip(tr("Установки"));
    SpeedButton3->setToolTip(tr("Каналы"));
}

void TMain::SwitchLanguage(UiLanguage language)
{
    if (!InstallLanguage(language)) {
        ShowMessageBox("ВНИМАНИЕ", tr("Не удалось загрузить английский перевод.").toStdString(),
                       MB_OK | MB_ICONWARNING);
        InstallLanguage(UiLanguage::Russian);
        ui->LanguageRussian->setChecked(true);
        return;
    }
    StoreLanguage(language);
}

void TMain::changeEvent(QEvent* event)
{
    // The other windows are modal and made anew each time, so only this one has to follow.
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        retranslateCodeTexts();
    }
    QMainWindow::changeEvent(event);
}

TMain::~TMain()
{
    PublishSettings(nullptr);
    delete ui;
}

void TMain::FormCreate()
{
    // A store the program cannot read is moved aside before anything could write over it.
    const std::optional<KeptStore> kept = KeepUnreadableStoreAside();
    const StoreLoadReport report = LoadSettings(Settings_);
    PublishSettings(&Settings_);
    lastOpenKind_ = -1;
    const std::string message = StoreStartMessage(kept, report);
    if (!message.empty())
        ShowMessageBox("ВНИМАНИЕ", message, MB_OK | MB_ICONWARNING);
}

void TMain::closeEvent(QCloseEvent* event)
{
    // A store that took nothing leaves the choice to the user: the window stays open with the
    // session's settings until the cause is put right, or closes without them.
    if (const StoreStatus saved = SaveMainCloseSettings(Settings_); !saved.ok()) {
        const int answer = ShowMessageBox(
            "ВНИМАНИЕ",
            (StoreWriteFailureText(saved) + QLatin1Char('\n') + tr("Закрыть программу без сохранения?"))
                .toStdString(),
            MB_YESNO | MB_ICONWARNING);
        if (answer != IDYES) {
            event->ignore();
            return;
        }
    }
    QMainWindow::closeEvent(event);
}

void TMain::reportStoreWrite(const StoreStatus& status)
{
    if (!status.ok())
        ShowMessageBox("ВНИМАНИЕ", StoreWriteFailureText(status).toStdString(), MB_OK | MB_ICONWARNING);
}

namespace {

bool IsAudioFileName(const QString& name)
{
    static const QStringList kinds = {QStringLiteral("wav"),  QStringLiteral("w64"), QStringLiteral("rf64"),
                                      QStringLiteral("flac"), QStringLiteral("caf"), QStringLiteral("aif"),
                                      QStringLiteral("aiff")};
    return kinds.contains(QFileInfo(name).suffix().toLower());
}

}   // namespace

void TMain::SpeedButton2Click()
{
    const QString name = launcher_.chooseFile ? launcher_.chooseFile(this) : QString();
    if (name.isEmpty())
        return;

    auto* wait = new TS_Wait(this);
    wait->showAndPaint();

    // The kind follows the name, case-sensitively, and a segment name wins when both occur.
    if (name.contains(QLatin1String(".dat")))
        lastOpenKind_ = 0;
    if (name.contains(QLatin1String(".kvnb")))
        lastOpenKind_ = 1;
    if (IsAudioFileName(name))
        lastOpenKind_ = 2;
    SetTestSignalFlag(false);

    if (lastOpenKind_ == 0 && launcher_.openPlayback)
        launcher_.openPlayback(this, name);
    else if (lastOpenKind_ == 1 && launcher_.openProcessing)
        launcher_.openProcessing(this, name, Settings_.S_PA_OR_VOLT);
    else if (lastOpenKind_ == 2 && launcher_.openAudio)
        launcher_.openAudio(this, name, Settings_.S_PA_OR_VOLT);

    delete wait;
}

void TMain::N7Click()
{
    if (!launcher_.runTestSignalDialog || !launcher_.runTestSignalDialog(this))
        return;
    SetTestSignalFlag(true);
    if (launcher_.openProcessing)
        launcher_.openProcessing(this, QString(), Settings_.S_PA_OR_VOLT);
}

void TMain::N10Click()
{
    if (launcher_.openSurvey)
        launcher_.openSurvey(this);
}

void TMain::SpeedButton1Click()
{
    if (launcher_.runSettingsDialog)
        launcher_.runSettingsDialog(this);
    reportStoreWrite(SaveSettingsDialogKeys(Settings_));
}

void TMain::SpeedButton3Click()
{
    if (launcher_.runChannelDialog)
        launcher_.runChannelDialog(this);
    reportStoreWrite(SaveChannelOrderKeys(Settings_));
}

void TMain::N9Click()
{
    // The dialog files what it applies itself, sensitivity by sensitivity; a cancel writes nothing.
    if (launcher_.runCalibrationDialog)
        launcher_.runCalibrationDialog(this);
}

void TMain::N3Click()
{
    // Ends the loop at once: no close event, so the close-time save does not run.
    QCoreApplication::exit(0);
}

void TMain::N8Click()
{
    if (launcher_.runAboutBox)
        launcher_.runAboutBox(this);
}

void TMain::Label1Click()
{
    // Each click opens another window; they live until the main window goes.
    auto* www = new Twww(this);
    www->show();
}
