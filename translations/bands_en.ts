<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ru">
<context>
    <name>BandCharts</name>
    <message>
        <source>Полоса, Гц</source>
        <translation>Band, Hz</translation>
    </message>
    <message>
        <source>Уровень, дБ</source>
        <translation>Level, dB</translation>
    </message>
    <message>
        <source>LI, дБ</source>
        <translation>LI, dB</translation>
    </message>
    <message>
        <source>LI, дБ (сомнительно)</source>
        <translation>LI, dB (doubtful)</translation>
    </message>
    <message>
        <source>Lp, дБ</source>
        <translation>Lp, dB</translation>
    </message>
    <message>
        <source>Направление I, град</source>
        <translation>Direction of I, °</translation>
    </message>
    <message>
        <source>Азимут</source>
        <translation>Azimuth</translation>
    </message>
    <message>
        <source>Угол места</source>
        <translation>Elevation</translation>
    </message>
    <message>
        <source>Азимут: угол проекции I на плоскость XY от оси X (-180 … 180°).
Угол места: угол I над плоскостью XY (-90 … 90°).</source>
        <translation>Azimuth: angle of I projected on the XY plane from the X axis (-180 … 180°).
Elevation: angle of I above the XY plane (-90 … 90°).</translation>
    </message>
</context>
<context>
    <name>TBands</name>
    <message>
        <source>Интенсивность в полосах</source>
        <translation>Intensity in bands</translation>
    </message>
    <message>
        <source>1/3 октавы</source>
        <translation>1/3 octave</translation>
    </message>
    <message>
        <source>1/1 октавы</source>
        <translation>1/1 octave</translation>
    </message>
    <message>
        <source>Поправка конечной разности</source>
        <translation>Finite-difference correction</translation>
    </message>
    <message>
        <source>Умножить I и J каждой оси на kΔr / sin(kΔr) на средней частоте полосы (где kΔr &lt; π/2)</source>
        <translation>Multiply I and J of each axis by kΔr / sin(kΔr) at the band&apos;s centre frequency (where kΔr &lt; π/2)</translation>
    </message>
    <message>
        <source>Сумма A</source>
        <translation>Total A</translation>
    </message>
    <message>
        <source>Показать сумму по полосам с коррекцией A</source>
        <translation>Show the A-weighted total over the bands</translation>
    </message>
    <message>
        <source>Записать в CSV файл</source>
        <translation>Save to CSV file</translation>
    </message>
    <message>
        <source>Форма CSV файла</source>
        <translation>CSV file form</translation>
    </message>
    <message>
        <source>Форма программы (&quot;;&quot;, десятичная запятая, Windows-1251)</source>
        <translation>Program form (&quot;;&quot;, decimal comma, Windows-1251)</translation>
    </message>
    <message>
        <source>Простая форма (&quot;,&quot;, десятичная точка, UTF-8, английские заголовки)</source>
        <translation>Plain form (&quot;,&quot;, decimal point, UTF-8, English headers)</translation>
    </message>
    <message>
        <source>Выход</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>CSV файл (*.csv)</source>
        <translation>CSV file (*.csv)</translation>
    </message>
    <message>
        <source>В диапазоне %1 … %2 Гц нет ни одной октавной полосы, которая целиком лежала бы в спектре. Расширьте диапазон частот на графике окна обработки и откройте это окно снова.</source>
        <translation>The range %1 … %2 Hz holds no octave band lying wholly in the spectrum. Widen the frequency range on the processing window&apos;s chart and open this window again.</translation>
    </message>
    <message>
        <source>В диапазоне %1 … %2 Гц нет ни одной третьоктавной полосы, которая целиком лежала бы в спектре. Расширьте диапазон частот на графике окна обработки и откройте это окно снова.</source>
        <translation>The range %1 … %2 Hz holds no one-third octave band lying wholly in the spectrum. Widen the frequency range on the processing window&apos;s chart and open this window again.</translation>
    </message>
    <message>
        <source>Диапазон: %1 … %2 Гц; полос: %3</source>
        <translation>Range: %1 … %2 Hz; bands: %3</translation>
    </message>
    <message>
        <source>Сомнительны полосы %1 Гц: %2</source>
        <translation>Doubtful bands %1 Hz: %2</translation>
    </message>
    <message>
        <source>Все полосы достоверны.</source>
        <translation>Every band is valid.</translation>
    </message>
    <message>
        <source>Давление по чувствительностям микрофонов.</source>
        <translation>Pressure from the microphones&apos; sensitivities.</translation>
    </message>
</context>
</TS>
