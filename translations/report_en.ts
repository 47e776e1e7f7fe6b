<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ru">
<context>
    <name>PowerReport</name>
    <message>
        <source>точный</source>
        <translation>precision</translation>
    </message>
    <message>
        <source>технический</source>
        <translation>engineering</translation>
    </message>
    <message>
        <source>ориентировочный</source>
        <translation>survey</translation>
    </message>
    <message>
        <source>Полоса, Гц</source>
        <translation>Band, Hz</translation>
    </message>
    <message>
        <source>L_W, дБ</source>
        <translation>L_W, dB</translation>
    </message>
    <message>
        <source>L_p, дБ</source>
        <translation>L_p, dB</translation>
    </message>
    <message>
        <source>F2, дБ</source>
        <translation>F2, dB</translation>
    </message>
    <message>
        <source>F3, дБ</source>
        <translation>F3, dB</translation>
    </message>
    <message>
        <source>L_d, дБ</source>
        <translation>L_d, dB</translation>
    </message>
    <message>
        <source>Крит. 1</source>
        <translation>Crit. 1</translation>
    </message>
    <message>
        <source>Крит. 2</source>
        <translation>Crit. 2</translation>
    </message>
    <message>
        <source>Класс</source>
        <translation>Grade</translation>
    </message>
    <message>
        <source>Примечания</source>
        <translation>Notes</translation>
    </message>
    <message>
        <source>нет</source>
        <translation>no</translation>
    </message>
    <message>
        <source>Звуковая мощность по точкам измерения</source>
        <translation>Sound power from measurement points</translation>
    </message>
    <message>
        <source>Дата: %1</source>
        <translation>Date: %1</translation>
    </message>
    <message>
        <source>не указан</source>
        <translation>not given</translation>
    </message>
    <message>
        <source>Источник: %1</source>
        <translation>Source: %1</translation>
    </message>
    <message>
        <source>Файл съёмки: %1</source>
        <translation>Survey file: %1</translation>
    </message>
    <message>
        <source>Поверхность измерения</source>
        <translation>Measurement surface</translation>
    </message>
    <message>
        <source>да</source>
        <translation>yes</translation>
    </message>
    <message>
        <source>Сумма A</source>
        <translation>Total A</translation>
    </message>
    <message>
        <source>отрицательная мощность</source>
        <translation>negative power</translation>
    </message>
    <message>
        <source>Звуковая мощность в октавных полосах</source>
        <translation>Sound power in octave bands</translation>
    </message>
    <message>
        <source>Звуковая мощность в третьоктавных полосах</source>
        <translation>Sound power in one-third octave bands</translation>
    </message>
    <message>
        <source>L_W в дБ отн. 1 пВт; «—»: критерий не проверен</source>
        <translation>L_W in dB re 1 pW; “—”: criterion not checked</translation>
    </message>
    <message>
        <source>жёлтым выделены сомнительные полосы (kΔr: kΔr &gt; 1 хотя бы в одной точке, погрешность конечной разности может превышать 1 дБ; δpI: δpI &gt; δpI0 − 7 дБ, мал динамический диапазон зонда)</source>
        <translation>doubtful bands in yellow (kΔr: kΔr &gt; 1 at one point at least, the finite-difference error may exceed 1 dB; δpI: δpI &gt; δpI0 − 7 dB, the probe&apos;s dynamic capability is too small)</translation>
    </message>
    <message>
        <source>[I_n] &lt; 0: средняя нормальная интенсивность отрицательна</source>
        <translation>[I_n] &lt; 0: the mean normal intensity is negative</translation>
    </message>
    <message>
        <source>красный класс: ниже требуемого</source>
        <translation>red grade: below the required one</translation>
    </message>
    <message>
        <source>Уровни звуковой мощности L_W по полосам</source>
        <translation>Sound power levels L_W per band</translation>
    </message>
    <message>
        <source>класс %1 (%2)</source>
        <translation>grade %1 (%2)</translation>
    </message>
    <message>
        <source>класс не достигнут</source>
        <translation>no grade reached</translation>
    </message>
    <message>
        <source>сомнительная полоса</source>
        <translation>doubtful band</translation>
    </message>
    <message>
        <source>L_W, дБ отн. 1 пВт</source>
        <translation>L_W, dB re 1 pW</translation>
    </message>
    <message>
        <source>Сумма A: %1 дБ</source>
        <translation>Total A: %1 dB</translation>
    </message>
    <message>
        <source>Среднегеометрическая частота полосы, Гц</source>
        <translation>Band centre frequency, Hz</translation>
    </message>
    <message>
        <source>Условия расчёта</source>
        <translation>Calculation conditions</translation>
    </message>
    <message>
        <source>Требуемый класс точности: %1 (%2)</source>
        <translation>Required grade: %1 (%2)</translation>
    </message>
    <message>
        <source>Остаточный индекс зонда δpI0: %1 дБ</source>
        <translation>Probe residual index δpI0: %1 dB</translation>
    </message>
    <message>
        <source>Остаточный индекс зонда δpI0: не задан (критерий 1 не проверен)</source>
        <translation>Probe residual index δpI0: not set (criterion 1 not checked)</translation>
    </message>
    <message>
        <source>Не удалось записать файл «%1»: %2</source>
        <translation>Could not write the file “%1”: %2</translation>
    </message>
    <message>
        <source>Не удалось записать файл «%1»: страница не начата</source>
        <translation>Could not write the file “%1”: the page was not started</translation>
    </message>
    <message>
        <source>Не удалось записать файл «%1»: страница не дописана</source>
        <translation>Could not write the file “%1”: the page was not finished</translation>
    </message>
    <message>
        <source>Точек: %1, прочитано %2 (непрочитанные зачёркнуты, в расчёт не вошли); площадь %3 м², по прочитанным точкам %4 м². В списке: метка, файл, площадь, м², нормаль.</source>
        <translation>Points: %1, read %2 (those not read are struck out and left out); area %3 m², of the points read %4 m². Listed: label, file, area in m², normal.</translation>
    </message>
    <message>
        <source>Точек: %1; площадь %2 м². В списке: метка, файл, площадь, м², нормаль.</source>
        <translation>Points: %1; area %2 m². Listed: label, file, area in m², normal.</translation>
    </message>
</context>
<context>
    <name>ReportApplication</name>
    <message>
        <source>Отчёт не построен: шрифтам страницы нужна графическая часть Qt</source>
        <translation>No report made: the page&apos;s fonts need Qt&apos;s graphical part</translation>
    </message>
</context>
</TS>
