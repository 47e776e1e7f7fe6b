// The settings dialog: filling from the record, validation order and focus, what reaches the
// record, and the INI import and export (defaults, clamping, exact round trip, Windows files).
#include "TUst.h"

#include "InterfaceTexts.h"
#include "Language.h"
#include "ModalDriver.h"
#include "RecordingPresenter.h"
#include "Settings.h"
#include "SettingsStore.h"

#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cmath>
#include <cstring>

namespace {

const char* const kTextFields[] = {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6"};
const char* const kSpins[] = {"CSpinEdit1", "CSpinEdit2", "CSpinEdit4"};

QLineEdit* edit(const TUst& dlg, const char* name)
{
    auto* e = dlg.findChild<QLineEdit*>(name);
    if (!e)
        qFatal("no line edit %s", name);
    return e;
}

QSpinBox* spin(const TUst& dlg, const char* name)
{
    auto* s = dlg.findChild<QSpinBox*>(name);
    if (!s)
        qFatal("no spin edit %s", name);
    return s;
}

QTableWidget* grid(const TUst& dlg)
{
    return dlg.findChild<QTableWidget*>("GRID");
}

QString cell(const TUst& dlg, int col, int row)
{
    const QTableWidgetItem* item = grid(dlg)->item(row, col);
    return item ? item->text() : QString();
}

void setCell(TUst& dlg, int row, const QString& text)
{
    grid(dlg)->item(row, 1)->setText(text);
}

void clickSave(TUst& dlg)
{
    QTest::mouseClick(dlg.findChild<QPushButton*>("Button1"), Qt::LeftButton);
}

// Every text a user can see and edit, in one list, to compare two dialogs.
QStringList allTexts(const TUst& dlg)
{
    QStringList texts;
    for (const char* name : kTextFields)
        texts << edit(dlg, name)->text();
    for (const char* name : kSpins)
        texts << spin(dlg, name)->text();
    for (int row = 1; row <= 6; ++row)
        texts << cell(dlg, 1, row);
    return texts;
}

bool sameRecord(const Settings& a, const Settings& b)
{
    return a.plotnost == b.plotnost && a.skorost == b.skorost && a.lmic == b.lmic && a.VOLT == b.VOLT &&
           a.Chuv == b.Chuv && a.LCADR == b.LCADR && a.prorezM == b.prorezM && a.NULL_ADC == b.NULL_ADC &&
           a.Chs == b.Chs;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

// Types the name into the dialog as a user would. (selectFile() leaves the name field alone
// while that field has the focus, which depends on when the dialog got activated.)
void chooseFile(QFileDialog* fd, const QString& path)
{
    const QFileInfo info(path);
    fd->setDirectory(info.absolutePath());
    auto* name = fd->findChild<QLineEdit*>("fileNameEdit");
    QVERIFY(name);
    name->setText(info.fileName());
    static_cast<QDialog*>(fd)->accept();   // the file dialog's own accept, public in its base
}

}   // namespace

class TestTUst : public QObject {
    Q_OBJECT

    Settings record_;
    QTemporaryDir dir_;

    QString path(const QString& name) const { return dir_.filePath(name); }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        QVERIFY(dir_.isValid());
        SettingsStore::SetFileName(path("store.ini"));
    }

    void init()
    {
        record_ = DefaultSettings();
        PublishSettings(&record_);
    }

    void cleanup()
    {
        PublishSettings(nullptr);
        InstallLanguage(UiLanguage::Russian);
    }

    void showsTheRecordInTheUsersNotation_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("whole") << 340.0 << "340,000";
        QTest::newRow("one decimal") << 1.4 << "1,400";
        QTest::newRow("five significant digits") << 1.234567 << "1,235";
        QTest::newRow("small") << 0.000123 << "0,000";
        QTest::newRow("negative") << -0.5 << "-0,500";
        QTest::newRow("tiny negative") << -0.0001 << "0,000";
        QTest::newRow("too many integer digits") << 123456.0 << "1,2346E5";
        QTest::newRow("round power of ten") << -1e6 << "-1E6";
        QTest::newRow("not a number") << std::nan("") << "NAN";
    }

    void showsTheRecordInTheUsersNotation()
    {
        QFETCH(double, value);
        QFETCH(QString, shown);
        record_.skorost = value;
        record_.lmic = {value, value, value};
        record_.Chuv[5] = value;
        TUst dlg(nullptr);
        for (const char* name : {"Edit2", "Edit3", "Edit4", "Edit5"})
            QCOMPARE(edit(dlg, name)->text(), shown);
        QCOMPARE(cell(dlg, 1, 6), shown);
    }

    void fillsEveryControlFromTheRecord()
    {
        record_.VOLT = 0.0026312345;
        record_.LCADR = 4;
        record_.prorezM = 25;
        record_.NULL_ADC = 8191;
        record_.Chuv = {1.5, 2.25, 3, 4, 5, 6};
        TUst dlg(nullptr);
        QCOMPARE(dlg.windowTitle(), QString("Установки"));
        QCOMPARE(edit(dlg, "Edit1")->text(), QString("1,400"));
        QCOMPARE(edit(dlg, "Edit2")->text(), QString("340,000"));
        QCOMPARE(edit(dlg, "Edit3")->text(), QString("0,500"));
        QCOMPARE(edit(dlg, "Edit6")->text(), QString("0,00263"));
        QCOMPARE(spin(dlg, "CSpinEdit1")->value(), 4);
        QCOMPARE(spin(dlg, "CSpinEdit2")->value(), 25);
        QCOMPARE(spin(dlg, "CSpinEdit4")->value(), 8191);
        QCOMPARE(cell(dlg, 0, 0), QString("№ канала"));
        QCOMPARE(cell(dlg, 1, 0), QString("Значение"));
        QCOMPARE(cell(dlg, 0, 3), QString("Канал 3"));
        QCOMPARE(cell(dlg, 1, 1), QString("1,500"));
        QCOMPARE(cell(dlg, 1, 2), QString("2,250"));
        QCOMPARE(cell(dlg, 1, 6), QString("6,000"));
        // Header cells are labels, not input.
        QVERIFY(!(grid(dlg)->item(2, 0)->flags() & Qt::ItemIsEditable));
        QVERIFY(grid(dlg)->item(2, 1)->flags() & Qt::ItemIsEditable);
    }

    void refusesTheFirstBadNumberWithTheFocusOnIt_data()
    {
        QTest::addColumn<QStringList>("fields");   // "name=text"
        QTest::addColumn<QStringList>("cells");    // "row=text"
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("message");
        // The message names the field by its caption.
        const auto number = [](const QString& caption) { return "Не верно записано число: " + caption; };
        const QString density = "Плотность воздуха";
        const QString speed = "Скорость звука в воздухе";
        const QString volts = "Отношение Вольты/Данные АЦП";
        QTest::newRow("dot decimal") << QStringList{"Edit1=1.4"} << QStringList{} << "Edit1"
                                     << number(density);
        QTest::newRow("letters") << QStringList{"Edit5=abc"} << QStringList{} << "Edit5"
                                 << number("Расстояние между микрофонами 5 - 6");
        QTest::newRow("empty") << QStringList{"Edit3="} << QStringList{} << "Edit3"
                               << number("Расстояние между микрофонами 1 - 2");
        QTest::newRow("sound speed before volts per step")
            << QStringList{"Edit6=x", "Edit2=3,4,0"} << QStringList{} << "Edit2" << number(speed);
        QTest::newRow("infinity") << QStringList{"Edit2=inf"} << QStringList{} << "Edit2" << number(speed);
        QTest::newRow("not a number") << QStringList{"Edit4=nan"} << QStringList{} << "Edit4"
                                      << number("Расстояние между микрофонами 3 - 4");
        QTest::newRow("out of double range")
            << QStringList{"Edit6=1e999"} << QStringList{} << "Edit6" << number(volts);
        QTest::newRow("group separator") << QStringList{QString("Edit2=1") + QChar(0xA0) + "000"}
                                         << QStringList{} << "Edit2" << number(speed);
        QTest::newRow("sensitivity") << QStringList{} << QStringList{"3=1.5", "5=x"} << "GRID"
                                     << "Не верно записана чувствительность канала №3";
        QTest::newRow("fields before the grid")
            << QStringList{"Edit6=?"} << QStringList{"1=?"} << "Edit6" << number(volts);
        // Numbers that convert but lie outside what a probe or medium can have.
        QTest::newRow("zero sound speed")
            << QStringList{"Edit2=0"} << QStringList{} << "Edit2"
            << "Недопустимое значение: Скорость звука в воздухе — допускается число от 0,001 до 1E+06";
        QTest::newRow("zero spacing before a bad volts per step")
            << QStringList{"Edit4=0", "Edit6=x"} << QStringList{} << "Edit4"
            << "Недопустимое значение: Расстояние между микрофонами 3 - 4 — допускается число от 1E-06 до "
               "1000";
        QTest::newRow("negative density")
            << QStringList{"Edit1=-1,4"} << QStringList{} << "Edit1"
            << "Недопустимое значение: Плотность воздуха — допускается число от 1E-06 до 100000";
        QTest::newRow("subnormal volts per step")
            << QStringList{"Edit6=1e-320"} << QStringList{} << "Edit6"
            << "Недопустимое значение: Отношение Вольты/Данные АЦП — допускается число от 1E-12 до 1E+06";
        QTest::newRow("zero sensitivity")
            << QStringList{} << QStringList{"4=0"} << "GRID"
            << "Недопустимая чувствительность канала №4 — допускается число от 1E-09 до 1E+09";
    }

    void refusesTheFirstBadNumberWithTheFocusOnIt()
    {
        QFETCH(QStringList, fields);
        QFETCH(QStringList, cells);
        QFETCH(QString, focus);
        QFETCH(QString, message);
        RecordingPresenter presenter;
        const Settings before = record_;
        TUst dlg(nullptr);
        for (const QString& f : fields)
            edit(dlg, f.section('=', 0, 0).toLatin1().constData())->setText(f.section('=', 1));
        for (const QString& c : cells)
            setCell(dlg, c.section('=', 0, 0).toInt(), c.section('=', 1));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        clickSave(dlg);

        QCOMPARE(presenter.messages.size(), size_t{1});
        QCOMPARE(presenter.messages[0].caption, std::string("ВНИМАНИЕ"));
        QCOMPARE(QString::fromStdString(presenter.messages[0].text), message);
        QCOMPARE(presenter.messages[0].flags, int(MB_OK));
        QWidget* focused = dlg.focusWidget();
        QVERIFY(focused);
        QWidget* expected = dlg.findChild<QWidget*>(focus);
        QVERIFY2(focused == expected || expected->isAncestorOf(focused),
                 qPrintable("focus on " + focused->objectName()));
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(sameRecord(record_, before));
    }

    // In English nothing Russian is left, and a refusal names the field by its English caption.
    void speaksEnglish()
    {
        QVERIFY(InstallLanguage(UiLanguage::English));
        const struct {
            const char* field;
            QString text;
            QString message;
        } cases[] = {
            {"Edit2", "x", "Invalid number: Speed of sound in air"},
            {"Edit1", "-1,4", "Value not allowed: Air density — allowed is a number from 1E-06 to 100000"},
        };
        for (const auto& c : cases) {
            RecordingPresenter presenter;
            TUst dlg(nullptr);
            const QStringList left = RussianTexts(&dlg);
            QVERIFY2(left.isEmpty(), qPrintable(left.join('\n')));
            edit(dlg, c.field)->setText(c.text);
            dlg.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dlg));
            clickSave(dlg);
            QCOMPARE(presenter.messages.size(), size_t{1});
            QCOMPARE(presenter.messages[0].caption, std::string("WARNING"));
            QCOMPARE(QString::fromStdString(presenter.messages[0].text), c.message);
        }
    }

    void storesEveryNumberThatConverts()
    {
        RecordingPresenter presenter;
        record_.Chs = {4, 5, 2, 3, 0, 1};
        TUst dlg(nullptr);
        edit(dlg, "Edit1")->setText("1,2");
        edit(dlg, "Edit2")->setText("1e-3");   // the range's lowest sound speed
        edit(dlg, "Edit3")->setText("0,25");
        edit(dlg, "Edit4")->setText("1e-2");
        edit(dlg, "Edit5")->setText(" 0,75 ");
        edit(dlg, "Edit6")->setText("0,0031");
        const double sensitivities[] = {10.5, 20, 30, 1e-9, 1e9, 60.125};
        for (int row = 1; row <= 6; ++row)
            setCell(dlg, row, QLocale().toString(sensitivities[row - 1]));
        spin(dlg, "CSpinEdit1")->setValue(3);
        spin(dlg, "CSpinEdit2")->setValue(7);
        spin(dlg, "CSpinEdit4")->setValue(0);
        clickSave(dlg);

        QVERIFY(presenter.messages.empty());
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(record_.plotnost, 1.2);
        QCOMPARE(record_.skorost, 1e-3);
        QCOMPARE(record_.lmic[0], 0.25);
        QCOMPARE(record_.lmic[1], 0.01);
        QCOMPARE(record_.lmic[2], 0.75);
        QCOMPARE(record_.VOLT, 0.0031);
        for (int j = 0; j < 6; ++j)
            QCOMPARE(record_.Chuv[j], sensitivities[j]);   // row r is element r - 1
        QCOMPARE(record_.LCADR, 3);
        QCOMPARE(record_.prorezM, 7);
        QCOMPARE(record_.NULL_ADC, 0);
        QCOMPARE(record_.Chs, (std::array<int32_t, 6>{4, 5, 2, 3, 0, 1}));
    }

    void escapeClosesAndStoresNothing()
    {
        RecordingPresenter presenter;
        const Settings before = record_;
        TUst dlg(nullptr);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        edit(dlg, "Edit1")->setText("1,2");
        QTest::keyClick(edit(dlg, "Edit1"), Qt::Key_Escape);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(sameRecord(record_, before));
        QVERIFY(presenter.messages.empty());
    }

    // A store that takes nothing: the user is told why and chooses; "No" keeps the dialog open
    // with what was typed and the record as it was, "Yes" applies the values for the session.
    void aStoreThatCannotBeWrittenLeavesTheChoiceToTheUser()
    {
        QFile blocker(path("blocker"));   // a file where the store's folder would be
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString store = path("blocker/store.ini");
        SettingsStore::SetFileName(store);
        RecordingPresenter presenter;
        presenter.answers = {IDNO, IDYES};
        const Settings before = record_;
        TUst dlg(nullptr);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        edit(dlg, "Edit1")->setText("1,2");
        clickSave(dlg);
        QCOMPARE(presenter.messages.size(), size_t{1});
        const QString text = QString::fromStdString(presenter.messages[0].text);
        QVERIFY2(text.contains(store) && text.contains("Not a directory"), qPrintable(text));
        QCOMPARE(presenter.messages[0].flags, int(MB_YESNO | MB_ICONWARNING));
        QVERIFY(sameRecord(record_, before));
        QVERIFY(dlg.isVisible());
        QCOMPARE(edit(dlg, "Edit1")->text(), QString("1,2"));

        clickSave(dlg);
        SettingsStore::SetFileName(path("store.ini"));
        QCOMPARE(presenter.messages.size(), size_t{2});
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(record_.plotnost, 1.2);
    }

    void savingWithoutAnEditMovesNoSensitivity()
    {
        record_.Chs = {4, 5, 2, 3, 0, 1};
        record_.Chuv = {1.5, 2.5, 3.5, 4.5, 5.5, 6.5};
        const Settings before = record_;
        TUst dlg(nullptr);
        OnNextModal(
            [](QWidget* w) { QTest::mouseClick(w->findChild<QPushButton*>("Button1"), Qt::LeftButton); });
        QCOMPARE(dlg.exec(), int(QDialog::Accepted));
        QVERIFY(sameRecord(record_, before));
    }

    void acceptedValuesSurviveTheStoreWithAnyChannelOrder()
    {
        // What the main window does after the dialog: write the record, and at the next
        // start load it again. Sensitivity keys go through the channel order both ways.
        record_.Chs = {4, 5, 2, 3, 0, 1};
        record_.Chuv = {1, 2, 3, 4, 5, 6};
        TUst dlg(nullptr);
        setCell(dlg, 1, "11,5");
        edit(dlg, "Edit6")->setText("0,0042");
        clickSave(dlg);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(SaveChannelOrderKeys(record_).ok());
        QVERIFY(SaveSettingsDialogKeys(record_).ok());

        Settings loaded = DefaultSettings();
        LoadSettings(loaded);
        QCOMPARE(loaded.Chuv, (std::array<double, 6>{11.5, 2, 3, 4, 5, 6}));
        QCOMPARE(loaded.VOLT, 0.0042);
        PublishSettings(&loaded);
        TUst reopened(nullptr);
        QCOMPARE(cell(reopened, 1, 1), QString("11,500"));
        QCOMPARE(cell(reopened, 1, 6), QString("6,000"));
    }

    void intensityBySensitivitiesFollowsTheCheckBoxOnlyWhenSaved()
    {
        // The box shows the record; "Сохранить" takes it, closing the dialog otherwise does not.
        for (bool on : {false, true}) {
            record_.I_PO_CHUV = on;
            TUst dlg(nullptr);
            auto* box = dlg.findChild<QCheckBox*>("CheckBox1");
            QVERIFY(box);
            QCOMPARE(box->text(), QString("Интенсивность по чувствительностям микрофонов"));
            QCOMPARE(box->isChecked(), on);
            box->setChecked(!on);
            dlg.reject();
            QCOMPARE(record_.I_PO_CHUV, on);
            clickSave(dlg);
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
            QCOMPARE(record_.I_PO_CHUV, !on);
        }
    }

    void importFillsWhatTheFileLacksWithDefaults_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty section") << QByteArray("[Ust]\r\n");
        QTest::newRow("no such section") << QByteArray("[Sav]\r\nplotnost=2\r\n");
        QTest::newRow("empty file") << QByteArray();
    }

    void importFillsWhatTheFileLacksWithDefaults()
    {
        QFETCH(QByteArray, content);
        const QString file = path("defaults.ini");
        writeFile(file, content);
        record_.LCADR = 5;
        record_.prorezM = 50;
        record_.NULL_ADC = 7;
        record_.Chuv.fill(9);
        TUst dlg(nullptr);
        QVERIFY(dlg.LoadFromIni(file));
        QCOMPARE(allTexts(dlg), (QStringList{"1,4", "340", "0,1", "0,1", "0,1", "0,00263", "1", "1", "1120",
                                             "1", "1", "1", "1", "1", "1"}));
        // Nothing reaches the record before "Сохранить".
        QCOMPARE(record_.LCADR, 5);
        QCOMPARE(record_.Chuv[0], 9.0);
    }

    void exportThenImportRestoresEveryText()
    {
        RecordingPresenter presenter;
        const QString file = path("roundtrip.ini");
        QFile::remove(file);
        TUst source(nullptr);
        const QStringList texts{"1,4", "abc", " 0,5 ", "", "\"q\"", "0,00263"};
        for (int i = 0; i < 6; ++i)
            edit(source, kTextFields[i])->setText(texts[i]);
        const QStringList cells{"1,000", "тест", "=", "[Sav]", "2.5", "'x'"};
        for (int row = 1; row <= 6; ++row)
            setCell(source, row, cells[row - 1]);
        spin(source, "CSpinEdit1")->setValue(7);
        spin(source, "CSpinEdit2")->setValue(55);
        spin(source, "CSpinEdit4")->setValue(1000000);
        QVERIFY(source.SaveToIni(file));

        TUst target(nullptr);
        QVERIFY(allTexts(target) != allTexts(source));
        QVERIFY(target.LoadFromIni(file));
        QCOMPARE(allTexts(target), allTexts(source));
        QVERIFY(presenter.messages.empty());
        // The texts were exported unvalidated and are checked only when stored.
        QVERIFY(sameRecord(record_, DefaultSettings()));
    }

    void importedIntegersAreClampedToTheSpinRanges()
    {
        // The ADC zero is not clamped but refused (importRefusesConstantsOutsideTheirRanges).
        const QString file = path("clamp.ini");
        writeFile(file, "[Ust]\r\nLCADR=50\r\nprorezM=0\r\nNULL_ADC=0\r\n");
        TUst dlg(nullptr);
        QVERIFY(dlg.LoadFromIni(file));
        QCOMPARE(spin(dlg, "CSpinEdit1")->text(), QString("10"));
        QCOMPARE(spin(dlg, "CSpinEdit2")->value(), 1);
        QCOMPARE(spin(dlg, "CSpinEdit4")->value(), 0);
        clickSave(dlg);
        QCOMPARE(record_.LCADR, 10);
        QCOMPARE(record_.prorezM, 1);
        QCOMPARE(record_.NULL_ADC, 0);
    }

    void importRefusesConstantsOutsideTheirRanges()
    {
        RecordingPresenter presenter;
        const QString file = path("hostile.ini");
        writeFile(file, "[Ust]\r\nplotnost=-inf\r\nskorost=331,5\r\nlmic1=0\r\nlmic2=0,2\r\n"
                        "VOLT=nan\r\nChuv2=0\r\nChuv3=12,5\r\nNULL_ADC=-2147483648\r\nLCADR=3\r\n");
        TUst dlg(nullptr);
        QCOMPARE(spin(dlg, "CSpinEdit4")->maximum(), 16383);   // nor can a user type one
        QVERIFY(dlg.LoadFromIni(file));
        // The refused keys keep what the dialog showed; the others are loaded.
        QCOMPARE(allTexts(dlg), (QStringList{"1,400", "331,5", "0,500", "0,2", "0,1", "0,00263", "3", "1",
                                             "1120", "1", "1,000", "12,5", "1", "1", "1"}));
        QCOMPARE(presenter.messages.size(), size_t{1});
        const QString text = QString::fromStdString(presenter.messages[0].text);
        for (const char* key : {"plotnost = -inf", "lmic1 = 0", "VOLT = nan", "Chuv2 = 0",
                                "NULL_ADC = -2147483648 (допускается целое число от 0 до 16383)"})
            QVERIFY2(text.contains(key), qPrintable(text));
        QVERIFY2(!text.contains("skorost") && !text.contains("Chuv3"), qPrintable(text));
        clickSave(dlg);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(record_.plotnost, 1.4);
        QCOMPARE(record_.lmic[0], 0.5);
        QCOMPARE(record_.Chuv[1], 1.0);
        QCOMPARE(record_.NULL_ADC, 1120);
    }

    void readsAndUpdatesAFileWrittenOnWindows()
    {
        // Windows-1251 with CR LF; the first section and the comment are in Cyrillic.
        const QByteArray head = "; \xCA\xE0\xEB\xE8\xE1\xF0\xEE\xE2\xEA\xE0 \xB9"
                                "2\r\n"
                                "[\xC7\xEE\xED\xE4]\r\n"
                                "\xCD\xEE\xEC\xE5\xF0=17\r\n"
                                "\r\n";
        const QByteArray tail = "\r\n[Sav]\r\nplotnost=2,2\r\nextra=\xDF\r\n";
        const QByteArray ust = "[Ust]\r\nplotnost=1,4\r\nskorost = 331,5 \r\nChuv2=42,125\r\n";
        const QString file = path("windows.ini");
        writeFile(file, head + ust + tail);

        TUst dlg(nullptr);
        QVERIFY(dlg.LoadFromIni(file));
        QCOMPARE(edit(dlg, "Edit1")->text(), QString("1,4"));
        QCOMPARE(edit(dlg, "Edit2")->text(), QString("331,5"));
        QCOMPARE(cell(dlg, 1, 2), QString("42,125"));
        QCOMPARE(cell(dlg, 1, 1), QString("1"));

        edit(dlg, "Edit1")->setText("1,2");
        QVERIFY(dlg.SaveToIni(file));
        const QByteArray after = readFile(file);
        QVERIFY2(after.startsWith(head), after.constData());
        QVERIFY2(after.endsWith(tail), after.constData());
        const QByteArray newUst = after.mid(head.size(), after.size() - head.size() - tail.size());
        QCOMPARE(newUst, QByteArray("[Ust]\r\n"
                                    "plotnost=1,2\r\n"
                                    "skorost=331,5\r\n"
                                    "Chuv2=42,125\r\n"
                                    "VOLT=0,00263\r\n"
                                    "lmic1=0,1\r\n"
                                    "lmic2=0,1\r\n"
                                    "lmic3=0,1\r\n"
                                    "Chuv1=1\r\n"
                                    "Chuv3=1\r\n"
                                    "Chuv4=1\r\n"
                                    "Chuv5=1\r\n"
                                    "Chuv6=1\r\n"
                                    "LCADR=1\r\n"
                                    "prorezM=1\r\n"
                                    "NULL_ADC=1120\r\n"));
    }

    void fileDialogsChooseTheFile()
    {
        RecordingPresenter presenter;
        const QString file = path("chosen.ini");
        QFile::remove(file);
        TUst dlg(nullptr);
        edit(dlg, "Edit2")->setText("343");

        // The save dialog adds the extension; no overwrite question comes up.
        const QString withoutSuffix = path("chosen");
        for (int round = 0; round < 2; ++round) {
            OnNextModal([&](QWidget* w) {
                auto* fd = qobject_cast<QFileDialog*>(w);
                QVERIFY(fd);
                QCOMPARE(fd->objectName(), QString("SD"));
                chooseFile(fd, withoutSuffix);
            });
            QTest::mouseClick(dlg.findChild<QPushButton*>("Button3"), Qt::LeftButton);
            QVERIFY(QFile::exists(file));
        }
        QVERIFY(readFile(file).contains("skorost=343\r\n"));

        edit(dlg, "Edit2")->setText("1");
        OnNextModal([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
        QTest::mouseClick(dlg.findChild<QPushButton*>("Button2"), Qt::LeftButton);
        QCOMPARE(edit(dlg, "Edit2")->text(), QString("1"));

        OnNextModal([&](QWidget* w) {
            auto* fd = qobject_cast<QFileDialog*>(w);
            QVERIFY(fd);
            QCOMPARE(fd->objectName(), QString("OD"));
            chooseFile(fd, file);
        });
        QTest::mouseClick(dlg.findChild<QPushButton*>("Button2"), Qt::LeftButton);
        QCOMPARE(edit(dlg, "Edit2")->text(), QString("343"));
        QVERIFY(presenter.messages.empty());
    }

    void fileFailuresAreReportedAndChangeNothing()
    {
        RecordingPresenter presenter;
        TUst dlg(nullptr);
        const QStringList before = allTexts(dlg);

        QVERIFY(!dlg.LoadFromIni(path("missing.ini")));
        QCOMPARE(allTexts(dlg), before);
        QVERIFY(!dlg.SaveToIni(path("no-such-folder/out.ini")));
        QVERIFY(!QFile::exists(path("no-such-folder/out.ini")));

        // A file far too large to be settings is neither loaded nor written over.
        const QString big = path("big.ini");
        writeFile(big, "[Ust]\r\nplotnost=7\r\n" + QByteArray(2 << 20, ';'));
        QVERIFY(!dlg.LoadFromIni(big));
        QVERIFY(!dlg.SaveToIni(big));
        QCOMPARE(QFile(big).size(), qint64(19 + (2 << 20)));
        QCOMPARE(allTexts(dlg), before);

        QCOMPARE(presenter.messages.size(), size_t{4});
        QCOMPARE(presenter.messages[0].kind, MessageKind::Plain);
        QVERIFY(QString::fromStdString(presenter.messages[0].text).contains("missing.ini"));
        const QString writeFailure = QString::fromStdString(presenter.messages[1].text);
        QVERIFY(writeFailure.startsWith("Не удалось записать файл"));
        // The system's reason comes with it.
        QVERIFY2(writeFailure.endsWith(QString(": ") + QString::fromLocal8Bit(std::strerror(ENOENT))),
                 qPrintable(writeFailure));
    }
};

QTEST_MAIN(TestTUst)
#include "tst_tust.moc"
