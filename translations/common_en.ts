<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ru">
<context>
    <name>MessageBox</name>
    <message>
        <source>ВНИМАНИЕ</source>
        <translation>WARNING</translation>
    </message>
    <message>
        <source>Внимание</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Внимание!</source>
        <translation>Warning!</translation>
    </message>
    <message>
        <source>Ошибка</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>ОШИБКА</source>
        <translation>ERROR</translation>
    </message>
    <message>
        <source>Вычисление пик - пик</source>
        <translation>Peak-to-peak calculation</translation>
    </message>
</context>
</TS>
