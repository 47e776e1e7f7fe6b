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
<context>
    <name>SafeFile</name>
    <message>
        <source>Это именованный канал, а не обычный файл</source>
        <translation>This is a named pipe, not a regular file</translation>
    </message>
    <message>
        <source>Это устройство, а не обычный файл</source>
        <translation>This is a device, not a regular file</translation>
    </message>
    <message>
        <source>Это сокет, а не обычный файл</source>
        <translation>This is a socket, not a regular file</translation>
    </message>
    <message>
        <source>Это не обычный файл</source>
        <translation>This is not a regular file</translation>
    </message>
    <message>
        <source>Символическая ссылка ведет к несуществующему файлу</source>
        <translation>The symbolic link leads to a file that does not exist</translation>
    </message>
</context>
</TS>
