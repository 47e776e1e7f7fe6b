<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ru">
<context>
    <name>TD3x</name>
    <message>
        <source>3-х мерный график</source>
        <translation>3-D view</translation>
    </message>
    <message>
        <source>Шаг поворота, град</source>
        <translation>Rotation step, °</translation>
    </message>
    <message>
        <source>Выбран неверный формат</source>
        <translation>Wrong format chosen</translation>
    </message>
    <message>
        <source>Неверно заполнен формат пикселей</source>
        <translation>Wrong pixel format</translation>
    </message>
</context>
<context>
    <name>TRaschet</name>
    <message>
        <source>Расчет интенсивности (Вт/м2)</source>
        <translation>Intensity (W/m²)</translation>
    </message>
    <message>
        <source>Активная</source>
        <translation>Active</translation>
    </message>
    <message>
        <source>3-х мерный график</source>
        <translation>3-D view</translation>
    </message>
    <message>
        <source>Реактивная</source>
        <translation>Reactive</translation>
    </message>
    <message>
        <source>- Цвет действительной части вектора</source>
        <translation>- Colour of the real part of the vector</translation>
    </message>
    <message>
        <source>- Цвет мнимой части вектора</source>
        <translation>- Colour of the imaginary part of the vector</translation>
    </message>
    <message>
        <source>Таблица</source>
        <translation>Table</translation>
    </message>
    <message>
        <source>Выход</source>
        <translation>Exit</translation>
    </message>
</context>
<context>
    <name>TTabl</name>
    <message>
        <source>Расчетная таблица</source>
        <translation>Calculation table</translation>
    </message>
    <message>
        <source>Записать в CSV файл</source>
        <translation>Save to CSV file</translation>
    </message>
    <message>
        <source>Выход</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>CSV файл (*.csv)</source>
        <translation>CSV file (*.csv)</translation>
    </message>
</context>
</TS>
