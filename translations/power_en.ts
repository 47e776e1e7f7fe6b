<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ru">
<context>
    <name>PowerCharts</name>
    <message>
        <source>Класс 1 (точный)</source>
        <translation>Grade 1 (precision)</translation>
    </message>
    <message>
        <source>Класс 2 (технический)</source>
        <translation>Grade 2 (engineering)</translation>
    </message>
    <message>
        <source>Класс 3 (ориентировочный)</source>
        <translation>Grade 3 (survey)</translation>
    </message>
    <message>
        <source>Класс не достигнут</source>
        <translation>No grade reached</translation>
    </message>
    <message>
        <source>Полоса, Гц</source>
        <translation>Band, Hz</translation>
    </message>
    <message>
        <source>LW, дБ</source>
        <translation>LW, dB</translation>
    </message>
</context>
<context>
    <name>PowerPointList</name>
    <message>
        <source>ошибка: %1</source>
        <translation>error: %1</translation>
    </message>
    <message>
        <source>Точки обзора</source>
        <translation>Survey points</translation>
    </message>
    <message>
        <source>Добавить файлы…</source>
        <translation>Add files…</translation>
    </message>
    <message>
        <source>Удалить</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>Выше</source>
        <translation>Up</translation>
    </message>
    <message>
        <source>Ниже</source>
        <translation>Down</translation>
    </message>
    <message>
        <source>Открыть обзор…</source>
        <translation>Open survey…</translation>
    </message>
    <message>
        <source>Сохранить обзор…</source>
        <translation>Save survey…</translation>
    </message>
    <message>
        <source>Метка</source>
        <translation>Label</translation>
    </message>
    <message>
        <source>Файл</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Площадь, м²</source>
        <translation>Area, m²</translation>
    </message>
    <message>
        <source>Нормаль (грань или nx ny nz)</source>
        <translation>Normal (face or nx ny nz)</translation>
    </message>
    <message>
        <source>Состояние</source>
        <translation>State</translation>
    </message>
    <message>
        <source>Метку, площадь и нормаль можно изменить двойным щелчком. Нормаль — грань (+x, -x, +y, -y, +z, -z, top, front, back, left, right) или три числа через пробел.</source>
        <translation>Double-click to change the label, area or normal. The normal is a face (+x, -x, +y, -y, +z, -z, top, front, back, left, right) or three numbers separated by spaces.</translation>
    </message>
    <message>
        <source>Добавить точки</source>
        <translation>Add points</translation>
    </message>
    <message>
        <source>Открыть обзор</source>
        <translation>Open survey</translation>
    </message>
    <message>
        <source>Сохранить обзор</source>
        <translation>Save survey</translation>
    </message>
    <message>
        <source>метка не может содержать перевод строки</source>
        <translation>a label cannot hold a line break</translation>
    </message>
    <message>
        <source>площадь должна быть положительным числом квадратных метров, введено «%1»</source>
        <translation>the area must be a positive number of square metres, “%1” was entered</translation>
    </message>
    <message>
        <source>нормаль — это грань (+x, -x, +y, -y, +z, -z, top, front, back, left, right) или три числа не все нулевые, введено «%1»</source>
        <translation>the normal is a face (+x, -x, +y, -y, +z, -z, top, front, back, left, right) or three numbers not all zero, “%1” was entered</translation>
    </message>
    <message>
        <source>Точка %1, столбец «%2»: %3. Значение не изменено.</source>
        <translation>Point %1, column “%2”: %3. The value is unchanged.</translation>
    </message>
    <message>
        <source>Изменения обзора не сохранены. Продолжить без сохранения?</source>
        <translation>The survey&apos;s changes are not saved. Continue without saving?</translation>
    </message>
    <message>
        <source>файл не найден</source>
        <translation>file not found</translation>
    </message>
    <message>
        <source>файл слишком велик для обзора (больше 16 МБ)</source>
        <translation>the file is too large for a survey (more than 16 MB)</translation>
    </message>
    <message>
        <source>Не удалось прочитать обзор %1: %2</source>
        <translation>Could not read the survey %1: %2</translation>
    </message>
    <message>
        <source>Обзор %1: точек %2.</source>
        <translation>Survey %1: %2 points.</translation>
    </message>
    <message>
        <source>В обзоре нет ни одной точки.</source>
        <translation>The survey has no points.</translation>
    </message>
</context>
<context>
    <name>PowerText</name>
    <message>
        <source>не проверен</source>
        <translation>not checked</translation>
    </message>
    <message>
        <source>да</source>
        <translation>yes</translation>
    </message>
    <message>
        <source>нет</source>
        <translation>no</translation>
    </message>
    <message>
        <source>1 (точный)</source>
        <translation>1 (precision)</translation>
    </message>
    <message>
        <source>2 (технический)</source>
        <translation>2 (engineering)</translation>
    </message>
    <message>
        <source>3 (ориентировочный)</source>
        <translation>3 (survey)</translation>
    </message>
    <message>
        <source>не достигнут</source>
        <translation>not reached</translation>
    </message>
    <message>
        <source>Полоса, Гц</source>
        <translation>Band, Hz</translation>
    </message>
    <message>
        <source>LW, дБ</source>
        <translation>LW, dB</translation>
    </message>
    <message>
        <source>Lp, дБ</source>
        <translation>Lp, dB</translation>
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
        <source>Критерий 1</source>
        <translation>Criterion 1</translation>
    </message>
    <message>
        <source>Критерий 2</source>
        <translation>Criterion 2</translation>
    </message>
    <message>
        <source>F3 − F2 ≤ 3 дБ</source>
        <translation>F3 − F2 ≤ 3 dB</translation>
    </message>
    <message>
        <source>Класс точности</source>
        <translation>Grade</translation>
    </message>
    <message>
        <source>Рекомендации</source>
        <translation>Advice</translation>
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
        <source>Средняя нормальная интенсивность отрицательна.</source>
        <translation>The mean normal intensity is negative.</translation>
    </message>
    <message>
        <source>Полоса сомнительна: %1.</source>
        <translation>Doubtful band: %1.</translation>
    </message>
</context>
<context>
    <name>TPower</name>
    <message>
        <source>Все записи (*.kvnb *.wav *.w64 *.rf64 *.flac *.caf *.aif *.aiff);;Сегменты (*.kvnb);;Звуковые файлы (*.wav *.w64 *.rf64 *.flac *.caf *.aif *.aiff)</source>
        <translation>All recordings (*.kvnb *.wav *.w64 *.rf64 *.flac *.caf *.aif *.aiff);;Segments (*.kvnb);;Sound files (*.wav *.w64 *.rf64 *.flac *.caf *.aif *.aiff)</translation>
    </message>
    <message>
        <source>CSV файл (*.csv)</source>
        <translation>CSV file (*.csv)</translation>
    </message>
    <message>
        <source>Обзор (*.csv *.json);;CSV файл (*.csv);;JSON файл (*.json)</source>
        <translation>Survey (*.csv *.json);;CSV file (*.csv);;JSON file (*.json)</translation>
    </message>
    <message>
        <source>Мощность по точкам</source>
        <translation>Sound power survey</translation>
    </message>
    <message>
        <source>Октавы</source>
        <translation>Octaves</translation>
    </message>
    <message>
        <source>Третьоктавы</source>
        <translation>One-third octaves</translation>
    </message>
    <message>
        <source>не задан</source>
        <translation>not set</translation>
    </message>
    <message>
        <source>Индекс остаточной интенсивности зонда, дБ. Без него критерий 1 не проверяется.</source>
        <translation>The probe&apos;s pressure-residual intensity index, dB. Without it criterion 1 is not checked.</translation>
    </message>
    <message>
        <source>1 — точный</source>
        <translation>1 — precision</translation>
    </message>
    <message>
        <source>2 — технический</source>
        <translation>2 — engineering</translation>
    </message>
    <message>
        <source>3 — ориентировочный</source>
        <translation>3 — survey</translation>
    </message>
    <message>
        <source>источник шума (для отчёта)</source>
        <translation>noise source (for the report)</translation>
    </message>
    <message>
        <source>Рассчитать</source>
        <translation>Calculate</translation>
    </message>
    <message>
        <source>Индекс остаточной интенсивности, дБ:</source>
        <translation>Residual intensity index, dB:</translation>
    </message>
    <message>
        <source>Нужный класс точности:</source>
        <translation>Required grade:</translation>
    </message>
    <message>
        <source>Отчёт PDF…</source>
        <translation>PDF report…</translation>
    </message>
    <message>
        <source>Записать CSV…</source>
        <translation>Save CSV…</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Записать CSV</source>
        <translation>Save CSV</translation>
    </message>
    <message>
        <source>Отчёт PDF</source>
        <translation>PDF report</translation>
    </message>
    <message>
        <source>PDF файл (*.pdf)</source>
        <translation>PDF file (*.pdf)</translation>
    </message>
    <message>
        <source>Добавьте файлы точек или откройте обзор, затем нажмите «Рассчитать».</source>
        <translation>Add the points&apos; files or open a survey, then press “Calculate”.</translation>
    </message>
    <message>
        <source>файл не найден</source>
        <translation>file not found</translation>
    </message>
    <message>
        <source>Уровни звуковой мощности по полосам появятся здесь после расчёта</source>
        <translation>The sound power levels per band appear here after the calculation</translation>
    </message>
    <message>
        <source>Нажмите «Рассчитать», чтобы найти мощность.</source>
        <translation>Press “Calculate” to find the power.</translation>
    </message>
    <message>
        <source>Добавьте точки обзора.</source>
        <translation>Add the survey&apos;s points.</translation>
    </message>
    <message>
        <source>Индекс остаточной интенсивности: нужно число децибел больше 0 и не больше 100, введено «%1».</source>
        <translation>Residual intensity index: a number of decibels above 0 and at most 100 is needed, “%1” was entered.</translation>
    </message>
    <message>
        <source>Расчёт…</source>
        <translation>Calculating…</translation>
    </message>
    <message>
        <source>это папка, а не файл записи</source>
        <translation>this is a folder, not a recording</translation>
    </message>
    <message>
        <source>Точка 1 из %1…</source>
        <translation>Point 1 of %1…</translation>
    </message>
    <message>
        <source>Точка %1 из %2…</source>
        <translation>Point %1 of %2…</translation>
    </message>
    <message>
        <source>непредвиденная ошибка: %1</source>
        <translation>unexpected error: %1</translation>
    </message>
    <message>
        <source>непредвиденная ошибка</source>
        <translation>unexpected error</translation>
    </message>
    <message>
        <source>Расчёт не выполнен: %1</source>
        <translation>Calculation failed: %1</translation>
    </message>
    <message>
        <source>Расчёт прерван: мощность не рассчитана.</source>
        <translation>Calculation stopped: no power calculated.</translation>
    </message>
    <message>
        <source>прочитана</source>
        <translation>read</translation>
    </message>
    <message>
        <source>точка %1: %2</source>
        <translation>point %1: %2</translation>
    </message>
    <message>
        <source>Мощность не рассчитана: не прочитано точек %1 из %2.</source>
        <translation>No power calculated: %1 of %2 points not read.</translation>
    </message>
    <message>
        <source>Не удалось прочитать точки обзора; мощность не рассчитана, пока все точки не будут прочитаны.

</source>
        <translation>Could not read the survey&apos;s points; the power is not calculated until every point is read.

</translation>
    </message>
    <message>
        <source>Мощность не рассчитана: у точек нет общих полос.</source>
        <translation>No power calculated: the points share no band.</translation>
    </message>
    <message>
        <source>У точек нет ни одной общей полосы (одинаковы ли частота дискретизации и длительность записей?); мощность не рассчитана.</source>
        <translation>The points share no band (are the recordings&apos; sample rates and lengths alike?); no power calculated.</translation>
    </message>
    <message>
        <source>Рассчитано: точек %1, полос %2 (%3).</source>
        <translation>Calculated: %1 points, %2 bands (%3).</translation>
    </message>
    <message>
        <source>октавы</source>
        <translation>octaves</translation>
    </message>
    <message>
        <source>третьоктавы</source>
        <translation>one-third octaves</translation>
    </message>
    <message>
        <source>Корректированный по A уровень мощности LWA = %1 дБ(A), класс точности: %2.</source>
        <translation>A-weighted sound power level LWA = %1 dBA, grade: %2.</translation>
    </message>
    <message>
        <source>Корректированная по A мощность отрицательна.</source>
        <translation>The A-weighted power is negative.</translation>
    </message>
    <message>
        <source>Точек %1, меньше 10: критерий N ≥ 10 не выполнен.</source>
        <translation>%1 points, fewer than 10: criterion N ≥ 10 not met.</translation>
    </message>
    <message>
        <source>Не выполнено для класса %1: %2</source>
        <translation>Not met for grade %1: %2</translation>
    </message>
    <message>
        <source>сумма A (класс 3)</source>
        <translation>total A (grade 3)</translation>
    </message>
    <message>
        <source>Все полосы достигают класса точности %1.</source>
        <translation>Every band reaches grade %1.</translation>
    </message>
    <message>
        <source>Не достигают класса точности %1 полосы, Гц: %2. Невыполненные критерии — во всплывающей подсказке столбца «Класс точности».</source>
        <translation>Bands short of grade %1, Hz: %2. The criteria not met are in the tooltip of the “Grade” column.</translation>
    </message>
    <message>
        <source>Расстояния между микрофонами, м: %1; %2; %3</source>
        <translation>Microphone spacings, m: %1; %2; %3</translation>
    </message>
    <message>
        <source>Плотность воздуха, кг/м³: %1</source>
        <translation>Air density, kg/m³: %1</translation>
    </message>
    <message>
        <source>Скорость звука, м/с: %1</source>
        <translation>Speed of sound, m/s: %1</translation>
    </message>
    <message>
        <source>Сигнал: периодический</source>
        <translation>Signal: periodic</translation>
    </message>
    <message>
        <source>Сигнал: импульсный</source>
        <translation>Signal: impulse</translation>
    </message>
    <message>
        <source>Не удалось записать отчёт %1: %2</source>
        <translation>Could not write the report %1: %2</translation>
    </message>
</context>
</TS>
