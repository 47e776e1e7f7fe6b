<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ru">
<context>
    <name>Intensity</name>
    <message>
        <source>Невозможно выполнить пик-детектор</source>
        <translation>The peak detector cannot be run</translation>
    </message>
</context>
<context>
    <name>ProbeLimits</name>
    <message>
        <source>Полоса выходит за %1 Гц, где kΔr = 1 для пары %2: направление и модуль вектора могут быть заметно искажены.</source>
        <translation>The band reaches above %1 Hz, where kΔr = 1 for the %2 pair: the vector&apos;s direction and modulus may be noticeably wrong.</translation>
    </message>
    <message>
        <source>Линия лежит на отсчёте %1, ниже 20-го, а окно шире окна Ханнинга: модуль может быть завышен.</source>
        <translation>The line lies at bin %1, below bin 20, with a window wider than Hanning: its modulus may be too high.</translation>
    </message>
</context>
<context>
    <name>SignalUtils</name>
    <message>
        <source>f(Гц)= </source>
        <translation>f(Hz)= </translation>
    </message>
    <message>
        <source>df(Гц)= </source>
        <translation>df(Hz)= </translation>
    </message>
    <message>
        <source>t(с)= </source>
        <translation>t(s)= </translation>
    </message>
    <message>
        <source>dt(с)= </source>
        <translation>dt(s)= </translation>
    </message>
</context>
</TS>
