<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ru">
<context>
    <name>TMain</name>
    <message>
        <source>Sonorix 1.0 (Программа расчета интенсимметрии)</source>
        <translation>Sonorix 1.0 (Sound intensity analysis)</translation>
    </message>
    <message>
        <source>Файл</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Настройки</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Открыть</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Демосигнал</source>
        <translation>Demo signal</translation>
    </message>
    <message>
        <source>Мощность по точкам</source>
        <translation>Sound power from points</translation>
    </message>
    <message>
        <source>Выход</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Установки</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Каналы</source>
        <translation>Channels</translation>
    </message>
    <message>
        <source>Калибровка</source>
        <translation>Calibration</translation>
    </message>
    <message>
        <source>О программе</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Открыть файл</source>
        <translation>Open file</translation>
    </message>
    <message>
        <source>Не удалось загрузить английский перевод.</source>
        <translation>The English translation could not be loaded.</translation>
    </message>
    <message>
        <source>Закрыть программу без сохранения?</source>
        <translation>Close the program without saving?</translation>
    </message>
</context>
<context>
    <name>WindowLauncher</name>
    <message>
        <source>Все записи (*.dat *.kvnb %1)</source>
        <translation>All recordings (*.dat *.kvnb %1)</translation>
    </message>
    <message>
        <source>Файлы DAT и KVN (*.dat *.kvnb)</source>
        <translation>DAT and KVN files (*.dat *.kvnb)</translation>
    </message>
    <message>
        <source>Звуковые файлы (%1)</source>
        <translation>Audio files (%1)</translation>
    </message>
</context>
</TS>
