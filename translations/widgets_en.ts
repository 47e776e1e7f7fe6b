<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ru">
<context>
    <name>ChartImage</name>
    <message>
        <source>Рисунок PNG (*.png)</source>
        <translation>PNG image (*.png)</translation>
    </message>
    <message>
        <source>Рисунок SVG (*.svg)</source>
        <translation>SVG image (*.svg)</translation>
    </message>
    <message>
        <source>Документ PDF (*.pdf)</source>
        <translation>PDF document (*.pdf)</translation>
    </message>
    <message>
        <source>файл не открывается для записи</source>
        <translation>the file cannot be opened for writing</translation>
    </message>
    <message>
        <source>файл не записан</source>
        <translation>the file was not written</translation>
    </message>
    <message>
        <source>Размер изображения</source>
        <translation>Image size</translation>
    </message>
    <message>
        <source> пикс.</source>
        <translation> px</translation>
    </message>
    <message>
        <source>Ширина:</source>
        <translation>Width:</translation>
    </message>
    <message>
        <source>Высота:</source>
        <translation>Height:</translation>
    </message>
    <message>
        <source>неизвестный вид файла (нужен PNG, SVG или PDF)</source>
        <translation>unknown file type (PNG, SVG or PDF needed)</translation>
    </message>
    <message>
        <source>неизвестный вид файла (нужен PNG или PDF)</source>
        <translation>unknown file type (PNG or PDF needed)</translation>
    </message>
    <message>
        <source>изображения нет</source>
        <translation>there is no image</translation>
    </message>
</context>
<context>
    <name>ChartImageMenu</name>
    <message>
        <source>Сохранить изображение…</source>
        <translation>Save image…</translation>
    </message>
    <message>
        <source>Копировать</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>Сохранить изображение</source>
        <translation>Save image</translation>
    </message>
    <message>
        <source>Файл существует.Переписать?</source>
        <translation>The file exists. Overwrite?</translation>
    </message>
    <message>
        <source>Не удалось записать изображение %1: %2</source>
        <translation>Could not write the image %1: %2</translation>
    </message>
</context>
<context>
    <name>TAboutBox</name>
    <message>
        <source>О программе</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Программа Sonorix</source>
        <translation>Sonorix</translation>
    </message>
    <message>
        <source>Версия 1.0</source>
        <translation>Version 1.0</translation>
    </message>
    <message>
        <source>Разработчик: ООО &quot;Кварнис&quot;</source>
        <translation>Developer: Kvarnis LLC</translation>
    </message>
    <message>
        <source>Ответственный за программу: группа разработки Sonorix</source>
        <translation>Maintained by the Sonorix development team</translation>
    </message>
    <message>
        <source>Программа обработки , расчета  интенсимметрических и 
других энеогетических характеристик гармонических и 
импульсных мгновенных сигналов.</source>
        <translation>A program for processing and calculating intensity and 
other energy characteristics of harmonic and 
pulse instantaneous signals.</translation>
    </message>
    <message>
        <source>Тел.: %1</source>
        <translation>Tel.: %1</translation>
    </message>
</context>
<context>
    <name>TS_Wait</name>
    <message>
        <source>Чтение файла</source>
        <translation>Reading the file</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>Twww</name>
    <message>
        <source>Сайт ООО &quot;Кварнис&quot;</source>
        <translation>Kvarnis LLC website</translation>
    </message>
    <message>
        <source>&lt;div style=&apos;margin:24px; font-family:sans-serif&apos;&gt;&lt;img src=&apos;data:image/png;base64,%1&apos; width=&apos;208&apos; height=&apos;116&apos;/&gt;&lt;h2&gt;ООО &quot;Кварнис&quot;&lt;/h2&gt;&lt;p&gt;Программа Sonorix: расчет интенсиметрических и энергетических характеристик звуковых полей по записям трехкомпонентного зонда.&lt;/p&gt;&lt;p&gt;Сайт: &lt;a href=&apos;%2&apos;&gt;%2&lt;/a&gt;&lt;br/&gt;E-mail: &lt;a href=&apos;mailto:%3&apos;&gt;%3&lt;/a&gt;&lt;br/&gt;Телефон: %4&lt;/p&gt;&lt;/div&gt;</source>
        <translation>&lt;div style=&apos;margin:24px; font-family:sans-serif&apos;&gt;&lt;img src=&apos;data:image/png;base64,%1&apos; width=&apos;208&apos; height=&apos;116&apos;/&gt;&lt;h2&gt;Kvarnis LLC&lt;/h2&gt;&lt;p&gt;Sonorix calculates the intensity and energy characteristics of sound fields from three-component probe recordings.&lt;/p&gt;&lt;p&gt;Website: &lt;a href=&apos;%2&apos;&gt;%2&lt;/a&gt;&lt;br/&gt;E-mail: &lt;a href=&apos;mailto:%3&apos;&gt;%3&lt;/a&gt;&lt;br/&gt;Phone: %4&lt;/p&gt;&lt;/div&gt;</translation>
    </message>
</context>
<context>
    <name>WrittenNote</name>
    <message>
        <source>Записано: %1</source>
        <translation>Written: %1</translation>
    </message>
    <message>
        <source>Файл существует.Переписать?</source>
        <translation>The file exists. Overwrite it?</translation>
    </message>
    <message>
        <source>Не удалось записать файл %1: %2</source>
        <translation>Could not write the file %1: %2</translation>
    </message>
</context>
</TS>
