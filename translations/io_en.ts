<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ru">
<context>
    <name>AudioFile</name>
    <message>
        <source>Ошибка чтения: %1</source>
        <translation>Read error: %1</translation>
    </message>
    <message>
        <source>Ошибка записи: %1</source>
        <translation>Write error: %1</translation>
    </message>
    <message>
        <source>, 8 бит</source>
        <translation>, 8-bit</translation>
    </message>
    <message>
        <source>, 16 бит</source>
        <translation>, 16-bit</translation>
    </message>
    <message>
        <source>, 24 бит</source>
        <translation>, 24-bit</translation>
    </message>
    <message>
        <source>, 32 бит</source>
        <translation>, 32-bit</translation>
    </message>
    <message>
        <source>, 32 бит с плавающей точкой</source>
        <translation>, 32-bit float</translation>
    </message>
    <message>
        <source>, 64 бит с плавающей точкой</source>
        <translation>, 64-bit float</translation>
    </message>
    <message>
        <source>Не удается открыть файл %1: %2</source>
        <translation>Cannot open the file %1: %2</translation>
    </message>
    <message>
        <source>Файл %1 не является звукозаписью известного формата: %2</source>
        <translation>The file %1 is not an audio recording of a known format: %2</translation>
    </message>
    <message>
        <source>В файле %1 %2 канал(а); для шести микрофонов зонда нужно не менее шести каналов.</source>
        <translation>The file %1 has %2 channel(s); the probe&apos;s six microphones need at least six channels.</translation>
    </message>
    <message>
        <source>Каналы микрофонов должны быть разными каналами файла 1 ... %1.</source>
        <translation>The microphones&apos; channels must be different channels of the file, 1 ... %1.</translation>
    </message>
    <message>
        <source>Выбранный участок лежит вне записи (в ней %1 отсчетов на канал).</source>
        <translation>The selected stretch lies outside the recording (it has %1 samples per channel).</translation>
    </message>
    <message>
        <source>В выбранном участке записи нет ни одного отсчета.</source>
        <translation>The selected stretch of the recording holds no sample.</translation>
    </message>
    <message>
        <source>Нечего записывать.</source>
        <translation>Nothing to write.</translation>
    </message>
    <message>
        <source>в канале %1 отсчет %2 (%3 с от начала записи)</source>
        <translation>sample %2 of channel %1 (%3 s from the start of the recording)</translation>
    </message>
    <message>
        <source>Файл %1: %2 не является числом.</source>
        <translation>File %1: %2 is not a number.</translation>
    </message>
    <message>
        <source>Файл %1: %2 по модулю больше %3 полных шкал.</source>
        <translation>File %1: %2 exceeds %3 full scales in magnitude.</translation>
    </message>
    <message>
        <source>Напряжение полной шкалы лежит вне допустимых пределов.</source>
        <translation>The full-scale voltage lies outside the range the program can use.</translation>
    </message>
</context>
<context>
    <name>ReadIshFile</name>
    <message>
        <source>Серьезная ошибка при считывании исходного файла!</source>
        <translation>Serious error reading the source file!</translation>
    </message>
    <message>
        <source>Ошибка № %1</source>
        <translation>Error no. %1</translation>
    </message>
    <message>
        <source>Неверно задан ноль АЦП (NULL_ADC = %1): он должен быть целым числом от %2 до %3. Исправьте ноль АЦП в настройках.</source>
        <translation>The ADC zero is wrong (NULL_ADC = %1): it must be a whole number from %2 to %3. Correct the ADC zero in the settings.</translation>
    </message>
    <message>
        <source>Неверно задан порядок каналов: каждый из каналов 1-6 должен встречаться ровно один раз. Исправьте порядок каналов в настройках.</source>
        <translation>The channel order is wrong: each of the channels 1-6 must occur exactly once. Correct the channel order in the settings.</translation>
    </message>
    <message>
        <source>Файл записи слишком короткий: в нем нет ни одной записи отсчетов. Файл не может быть открыт.</source>
        <translation>The recording file is too short: it holds no record of samples. The file cannot be opened.</translation>
    </message>
    <message>
        <source>Длительность записи равна нулю: время записи не считано, а записей меньше, чем за одну секунду. Файл не может быть открыт.</source>
        <translation>The recording&apos;s duration is zero: its time was not read, and it holds fewer records than one second&apos;s. The file cannot be opened.</translation>
    </message>
    <message>
        <source>Частота дискретизации записи получается равной нулю: записей в файле меньше, чем секунд в записи. Файл не может быть открыт.</source>
        <translation>The recording&apos;s sample rate comes out as zero: the file holds fewer records than the recording has seconds. The file cannot be opened.</translation>
    </message>
    <message>
        <source>Ошибка чтения порядка каналов должно=%1 считывается=%2</source>
        <translation>Channel order read wrongly: expected=%1 read=%2</translation>
    </message>
    <message>
        <source>Слишком большая запись!</source>
        <translation>The recording is too long!</translation>
    </message>
    <message>
        <source>Неверно считано время записи: конец записи не позже ее начала. Файл не может быть открыт, работа программы продолжается.</source>
        <translation>The recording&apos;s time was read wrongly: its end is not after its start. The file cannot be opened; the program carries on.</translation>
    </message>
</context>
<context>
    <name>ReadWriteMyFile</name>
    <message>
        <source>Файл сегмента поврежден: он короче, чем требует его заголовок. Файл не может быть открыт.</source>
        <translation>The segment file is damaged: it is shorter than its header requires. The file cannot be opened.</translation>
    </message>
    <message>
        <source>Файл сегмента поврежден: в заголовке неверная частота дискретизации (%1) или длительность. Файл не может быть открыт.</source>
        <translation>The segment file is damaged: its header holds a wrong sample rate (%1) or duration. The file cannot be opened.</translation>
    </message>
    <message>
        <source>Файл сегмента поврежден: неверная чувствительность микрофона канала %1. Файл не может быть открыт.</source>
        <translation>The segment file is damaged: the microphone sensitivity of channel %1 is wrong. The file cannot be opened.</translation>
    </message>
    <message>
        <source>Файл сегмента поврежден: в канале %1 отсчет %2 (%3 с от начала) не является числом. Файл не может быть открыт.</source>
        <translation>The segment file is damaged: sample %2 of channel %1 (%3 s from the start) is not a number. The file cannot be opened.</translation>
    </message>
    <message>
        <source>Файл сегмента поврежден: в канале %1 отсчет %2 (%3 с от начала) по модулю больше %4. Файл не может быть открыт.</source>
        <translation>The segment file is damaged: sample %2 of channel %1 (%3 s from the start) exceeds %4 in magnitude. The file cannot be opened.</translation>
    </message>
</context>
</TS>
