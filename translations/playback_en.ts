<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ru">
<context>
    <name>TMagnit</name>
    <message>
        <source>Режим магнитофона</source>
        <translation>Recording playback</translation>
    </message>
    <message>
        <source>Длина кадра (сек)</source>
        <translation>Frame length (s)</translation>
    </message>
    <message>
        <source>Применить</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>Применить изменение длины кадра</source>
        <translation>Apply the new frame length</translation>
    </message>
    <message>
        <source>Единицы</source>
        <translation>Units</translation>
    </message>
    <message>
        <source>Паскали</source>
        <translation>Pascals</translation>
    </message>
    <message>
        <source>Вольты</source>
        <translation>Volts</translation>
    </message>
    <message>
        <source>Просмотр</source>
        <translation>Playback</translation>
    </message>
    <message>
        <source>В начало записи</source>
        <translation>To the start</translation>
    </message>
    <message>
        <source>Проиграть назад</source>
        <translation>Play backward</translation>
    </message>
    <message>
        <source>Шаг назад</source>
        <translation>Step back</translation>
    </message>
    <message>
        <source>Пауза</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Шаг вперед</source>
        <translation>Step forward</translation>
    </message>
    <message>
        <source>Проиграть вперед</source>
        <translation>Play forward</translation>
    </message>
    <message>
        <source>В конец записи</source>
        <translation>To the end</translation>
    </message>
    <message>
        <source>Задержка, мсек</source>
        <translation>Delay, ms</translation>
    </message>
    <message>
        <source>Фильтр</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>Порядок фильтра</source>
        <translation>Filter order</translation>
    </message>
    <message>
        <source>Нет</source>
        <translation>None</translation>
    </message>
    <message>
        <source>Fмин</source>
        <translation>Fmin</translation>
    </message>
    <message>
        <source>Fмакс</source>
        <translation>Fmax</translation>
    </message>
    <message>
        <source>Сохранить данный участок записи</source>
        <translation>Save this stretch of the recording</translation>
    </message>
    <message>
        <source>Время записи</source>
        <translation>Recording time</translation>
    </message>
    <message>
        <source>Применить переход на заданное время</source>
        <translation>Go to the given time</translation>
    </message>
    <message>
        <source>Канал %1</source>
        <translation>Channel %1</translation>
    </message>
    <message>
        <source>Кадр длиной %1 с длиннее записи: длина кадра сокращена до %2 с.</source>
        <translation>A frame of %1 s is longer than the recording: the frame was shortened to %2 s.</translation>
    </message>
    <message>
        <source>Достигнут конец файла</source>
        <translation>End of file reached</translation>
    </message>
    <message>
        <source>Достигнуто начало файла</source>
        <translation>Start of file reached</translation>
    </message>
    <message>
        <source>Идет фильтрация</source>
        <translation>Filtering</translation>
    </message>
    <message>
        <source>Файл *kvnb (*.kvnb)</source>
        <translation>Segment file (*.kvnb)</translation>
    </message>
    <message>
        <source>Запись файла</source>
        <translation>Writing the file</translation>
    </message>
    <message>
        <source>Слишком малый временной интервал. Запись невозможна!</source>
        <translation>The time interval is too short. Cannot save!</translation>
    </message>
    <message>
        <source>Файл записан</source>
        <translation>The file has been written</translation>
    </message>
    <message>
        <source>Чтение</source>
        <translation>Reading</translation>
    </message>
    <message>
        <source>Ошибка фильтрации</source>
        <translation>Filtering failed</translation>
    </message>
</context>
</TS>
