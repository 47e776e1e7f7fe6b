<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ru">
<context>
    <name>IntensityText</name>
    <message>
        <source>Интегрирование импульса в диапазоне, Гц (%1 : %2)</source>
        <translation>Impulse integrated over the band, Hz (%1 : %2)</translation>
    </message>
    <message>
        <source>Суммирование гармоник в диапазоне, Гц (%1 : %2)</source>
        <translation>Harmonics summed over the band, Hz (%1 : %2)</translation>
    </message>
    <message>
        <source>f(Гц)= </source>
        <translation>f(Hz)= </translation>
    </message>
    <message>
        <source>df(Гц)= </source>
        <translation>df(Hz)= </translation>
    </message>
    <message>
        <source> Вт/м²: </source>
        <translation> W/m²: </translation>
    </message>
</context>
<context>
    <name>OctaveBandText</name>
    <message>
        <source>Полоса, Гц</source>
        <translation>Band, Hz</translation>
    </message>
    <message>
        <source>Fн, Гц</source>
        <translation>F low, Hz</translation>
    </message>
    <message>
        <source>Fср, Гц</source>
        <translation>F mid, Hz</translation>
    </message>
    <message>
        <source>Fв, Гц</source>
        <translation>F high, Hz</translation>
    </message>
    <message>
        <source>LI, дБ</source>
        <translation>LI, dB</translation>
    </message>
    <message>
        <source>Lp, дБ</source>
        <translation>Lp, dB</translation>
    </message>
    <message>
        <source>δpI, дБ</source>
        <translation>δpI, dB</translation>
    </message>
    <message>
        <source>Пx</source>
        <translation>Px</translation>
    </message>
    <message>
        <source>Пy</source>
        <translation>Py</translation>
    </message>
    <message>
        <source>Пz</source>
        <translation>Pz</translation>
    </message>
    <message>
        <source>Угол X</source>
        <translation>Angle X</translation>
    </message>
    <message>
        <source>Угол Y</source>
        <translation>Angle Y</translation>
    </message>
    <message>
        <source>Угол Z</source>
        <translation>Angle Z</translation>
    </message>
    <message>
        <source>Оценка</source>
        <translation>Rating</translation>
    </message>
    <message>
        <source>Примечание</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>достоверно</source>
        <translation>valid</translation>
    </message>
    <message>
        <source>сомнительно</source>
        <translation>doubtful</translation>
    </message>
    <message>
        <source>Сумма A</source>
        <translation>Total A</translation>
    </message>
    <message>
        <source>Сумма</source>
        <translation>Total</translation>
    </message>
</context>
<context>
    <name>ResultText</name>
    <message>
        <source>Параметр</source>
        <translation>Quantity</translation>
    </message>
    <message>
        <source>Модуль</source>
        <translation>Modulus</translation>
    </message>
    <message>
        <source>Проекция на Х</source>
        <translation>Component X</translation>
    </message>
    <message>
        <source>Проекция на Y</source>
        <translation>Component Y</translation>
    </message>
    <message>
        <source>Проекция на Z</source>
        <translation>Component Z</translation>
    </message>
    <message>
        <source>Кин.энергия,Дж/м^3</source>
        <translation>Kin. energy, J/m^3</translation>
    </message>
    <message>
        <source>Пот.энергия,Дж/м^3</source>
        <translation>Pot. energy, J/m^3</translation>
    </message>
    <message>
        <source>Акт.интенсив.,Вт/м^2</source>
        <translation>Act. int., W/m^2</translation>
    </message>
    <message>
        <source>Реакт.интенсив.,Вт/м^2</source>
        <translation>React. int., W/m^2</translation>
    </message>
    <message>
        <source>FI_T,град</source>
        <translation>FI_K,deg</translation>
    </message>
    <message>
        <source>FI_П,град</source>
        <translation>FI_P,deg</translation>
    </message>
    <message>
        <source>FI_I,град</source>
        <translation>FI_I,deg</translation>
    </message>
    <message>
        <source>FI_J,град</source>
        <translation>FI_J,deg</translation>
    </message>
</context>
<context>
    <name>SettingsStore</name>
    <message>
        <source>файл больше 1 МБ</source>
        <translation>the file is larger than 1 MB</translation>
    </message>
    <message>
        <source>файл не в кодировке UTF-8</source>
        <translation>the file is not in UTF-8</translation>
    </message>
    <message>
        <source>в файле двоичные данные</source>
        <translation>the file holds binary data</translation>
    </message>
    <message>
        <source>строка %1 не является ни заголовком раздела, ни ключом</source>
        <translation>line %1 is neither a section header nor a key</translation>
    </message>
    <message>
        <source>файл не открывается для чтения: %1</source>
        <translation>the file cannot be opened for reading: %1</translation>
    </message>
    <message>
        <source>ошибка чтения: %1</source>
        <translation>read error: %1</translation>
    </message>
    <message>
        <source>Файл настроек не удалось прочитать (%1). Он сохранен под именем
%2
Программа начинает работу с настройками по умолчанию.</source>
        <translation>The settings file could not be read (%1). It has been kept as
%2
The program starts with the default settings.</translation>
    </message>
    <message>
        <source>Файл настроек
%1
не удалось прочитать (%2) и не удалось переименовать%3. Программа работает с настройками по умолчанию и не изменяет этот файл: настройки этого сеанса не будут сохранены.</source>
        <translation>The settings file
%1
could not be read (%2) nor renamed%3. The program runs with the default settings and leaves this file as it is: the settings of this session will not be saved.</translation>
    </message>
    <message>
        <source>В файле настроек
%1
недопустимые значения ключей: %2. Вместо них взяты значения по умолчанию.</source>
        <translation>The settings file
%1
holds invalid values of the keys %2. The default values are used instead.</translation>
    </message>
    <message>
        <source>папка %1 не создается: %2</source>
        <translation>the folder %1 cannot be created: %2</translation>
    </message>
    <message>
        <source>файл настроек записывает другая программа: %1 (процесс %2 на компьютере %3) держит блокировку %4 дольше %5 с</source>
        <translation>another program is writing the settings file: %1 (process %2 on computer %3) has held the lock %4 for more than %5 s</translation>
    </message>
    <message>
        <source>файл настроек записывает другая программа: блокировка %1</source>
        <translation>another program is writing the settings file: lock %1</translation>
    </message>
    <message>
        <source>файл блокировки %1 не создается: %2</source>
        <translation>the lock file %1 cannot be created: %2</translation>
    </message>
    <message>
        <source>файл настроек не удалось прочитать (%1), и программа его не изменяет</source>
        <translation>the settings file could not be read (%1), and the program leaves it unchanged</translation>
    </message>
    <message>
        <source>порядок каналов в файле настроек недопустим (Chs1 ... Chs6)</source>
        <translation>the channel order in the settings file is invalid (Chs1 ... Chs6)</translation>
    </message>
    <message>
        <source>Настройки не записаны в файл
%1
Причина: %2.</source>
        <translation>The settings were not written to the file
%1
Reason: %2.</translation>
    </message>
    <message>
        <source>Применить значения без сохранения, до выхода из программы? «Нет» оставляет окно открытым с введенными значениями.</source>
        <translation>Apply the values without saving them, until the program exits? "No" keeps the window open with the values entered.</translation>
    </message>
</context>
</TS>
