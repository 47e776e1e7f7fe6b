<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ru">
<context>
    <name>Calibration</name>
    <message>
        <source>Сильнейшая составляющая на %1 Гц, а не около %2 Гц: проверьте калибратор и частоту.</source>
        <translation>The strongest component is at %1 Hz, not near %2 Hz: check the calibrator and the frequency.</translation>
    </message>
    <message>
        <source>Уровень меняется на %1 дБ за запись: калибратор или микрофон сидят неплотно.</source>
        <translation>The level varies by %1 dB over the recording: the calibrator or the microphone is not seated firmly.</translation>
    </message>
    <message>
        <source>Чувствительность изменилась на %1 дБ против прежней.</source>
        <translation>The sensitivity changed by %1 dB from the previous one.</translation>
    </message>
</context>
<context>
    <name>MicrophoneCalibration</name>
    <message>
        <source>уровень и частота тона должны быть положительными числами</source>
        <translation>the tone&apos;s level and frequency must be positive numbers</translation>
    </message>
    <message>
        <source>полоса тона %1 Гц доходит до половины частоты оцифровки (%2 Гц)</source>
        <translation>the band of the %1 Hz tone reaches half the sample rate (%2 Hz)</translation>
    </message>
    <message>
        <source>запись слишком коротка: после установления фильтра нужно не меньше %1 с</source>
        <translation>the recording is too short: at least %1 s is needed after the filter settles</translation>
    </message>
    <message>
        <source>тон не найден: в полосе около %1 Гц нет сигнала</source>
        <translation>tone not found: there is no signal in the band around %1 Hz</translation>
    </message>
    <message>
        <source>выбранный участок лежит за пределами записи</source>
        <translation>the selected stretch lies outside the recording</translation>
    </message>
    <message>
        <source>не удалось открыть файл %1</source>
        <translation>cannot open the file %1</translation>
    </message>
    <message>
        <source>файл %1 кончается раньше, чем сказано в его заголовке</source>
        <translation>the file %1 ends before its header says</translation>
    </message>
    <message>
        <source>в канале %1 отсчет %2 не является числом</source>
        <translation>sample %2 of channel %1 is not a number</translation>
    </message>
</context>
<context>
    <name>OctaveBands</name>
    <message>
        <source>На верхней границе полосы kΔr &gt; 1 для одной из пар: погрешность конечной разности может превышать 1 дБ.</source>
        <translation>kΔr &gt; 1 at the band&apos;s upper edge for one of the pairs: the finite-difference error may exceed 1 dB.</translation>
    </message>
    <message>
        <source>δpI больше δpI0 − 7 дБ: динамический диапазон зонда недостаточен для 3-го класса точности.</source>
        <translation>δpI is above δpI0 − 7 dB: the probe&apos;s dynamic capability is not enough for accuracy grade 3.</translation>
    </message>
</context>
<context>
    <name>ProcessingData</name>
    <message>
        <source>%1 ГБ</source>
        <translation>%1 GB</translation>
    </message>
    <message>
        <source>%1 МБ</source>
        <translation>%1 MB</translation>
    </message>
    <message>
        <source>Недостаточно памяти: для %1 отсчетов на канал нужно около %2, а доступно %3. Уменьшите частоту оцифровки или длительность.</source>
        <translation>Not enough memory: %1 samples per channel need about %2, and %3 is available. Reduce the sample rate or the duration.</translation>
    </message>
    <message>
        <source>Недостаточно памяти: для %1 отсчетов на канал нужно около %2. Уменьшите частоту оцифровки или длительность.</source>
        <translation>Not enough memory: %1 samples per channel need about %2. Reduce the sample rate or the duration.</translation>
    </message>
</context>
<context>
    <name>Recording</name>
    <message>
        <source>чувствительность микрофонов %1 не дает конечного положительного множителя паскалей</source>
        <translation>the sensitivity of microphones %1 gives no finite positive pascal factor</translation>
    </message>
    <message>
        <source>предупреждение: </source>
        <translation>warning: </translation>
    </message>
</context>
<context>
    <name>SoundPower</name>
    <message>
        <source>Поток мощности через поверхность отрицателен: внешний источник сильнее измеряемого; экранируйте его или приблизьте поверхность к источнику.</source>
        <translation>The power through the surface is negative: extraneous noise dominates; screen it or move the surface closer to the source.</translation>
    </message>
    <message>
        <source>Поле слишком реактивно для зонда (F2 больше динамического диапазона): приблизьте поверхность к источнику, уменьшите внешний шум или возьмите зонд с большим остаточным индексом.</source>
        <translation>The field is too reactive for the probe (F2 above its dynamic capability): move the surface closer, reduce extraneous noise or use a probe with a higher residual index.</translation>
    </message>
    <message>
        <source>Поле слишком неоднородно для числа точек (N не больше C·F4²): добавьте точки, равномерно по поверхности.</source>
        <translation>The field is too uneven for the number of points (N not above C·F4²): add points, spread evenly over the surface.</translation>
    </message>
    <message>
        <source>Меньше 10 точек: добавьте точки.</source>
        <translation>Fewer than 10 points: add points.</translation>
    </message>
    <message>
        <source>Сильный внешний поток через поверхность (F3 − F2 больше 3 дБ): экранируйте внешние источники или приблизьте поверхность к источнику.</source>
        <translation>Strong extraneous intensity through the surface (F3 − F2 above 3 dB): screen extraneous sources or move the surface closer.</translation>
    </message>
</context>
<context>
    <name>SurveyPointAnalysis</name>
    <message>
        <source>--from %1 с лежит за концом записи (%2 с)</source>
        <translation>--from %1 s lies past the end of the recording (%2 s)</translation>
    </message>
    <message>
        <source>--to %1 с лежит за концом записи (%2 с)</source>
        <translation>--to %1 s lies past the end of the recording (%2 s)</translation>
    </message>
    <message>
        <source>в выбранном участке записи нет ни одного отсчета</source>
        <translation>the selected stretch of the recording holds no sample</translation>
    </message>
    <message>
        <source>в записи нет ни одного отсчета</source>
        <translation>the recording holds no samples</translation>
    </message>
    <message>
        <source>предупреждение: --channels, --from, --to и --full-scale относятся только к звукозаписям; сегмент прочитан целиком</source>
        <translation>warning: --channels, --from, --to and --full-scale apply to audio recordings only; the segment was read whole</translation>
    </message>
</context>
</TS>
