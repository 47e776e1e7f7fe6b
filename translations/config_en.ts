<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ru">
<context>
    <name>TAudioOpen</name>
    <message>
        <source>Открытие звукового файла</source>
        <translation>Open sound file</translation>
    </message>
    <message>
        <source>Каналы файла для микрофонов</source>
        <translation>File channels for the microphones</translation>
    </message>
    <message>
        <source>Участок записи</source>
        <translation>Recording stretch</translation>
    </message>
    <message>
        <source>Начало, с</source>
        <translation>Start, s</translation>
    </message>
    <message>
        <source>Длительность, с</source>
        <translation>Duration, s</translation>
    </message>
    <message>
        <source>В на полную шкалу</source>
        <translation>V at full scale</translation>
    </message>
    <message>
        <source>Открыть</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>%1
%2, каналов: %3, %4 Гц, %5 с</source>
        <translation>%1
%2, channels: %3, %4 Hz, %5 s</translation>
    </message>
    <message>
        <source>Микрофон %1</source>
        <translation>Microphone %1</translation>
    </message>
    <message>
        <source>Канал %1</source>
        <translation>Channel %1</translation>
    </message>
    <message>
        <source>Будет прочитано отсчетов на канал: %1</source>
        <translation>Samples to read per channel: %1</translation>
    </message>
    <message>
        <source>Участок пуст или лежит за концом записи.</source>
        <translation>The stretch is empty or lies past the end of the recording.</translation>
    </message>
    <message>
        <source>Каждому микрофону нужен свой канал файла.</source>
        <translation>Each microphone needs a file channel of its own.</translation>
    </message>
    <message>
        <source>Участок записи короче двух отсчетов.</source>
        <translation>The stretch is shorter than two samples.</translation>
    </message>
</context>
<context>
    <name>TCalib</name>
    <message>
        <source>Калибровка</source>
        <translation>Calibration</translation>
    </message>
    <message>
        <source>Запись калибратора</source>
        <translation>Calibrator recording</translation>
    </message>
    <message>
        <source>звукозапись или сегмент (*.kvnb)</source>
        <translation>sound recording or segment (*.kvnb)</translation>
    </message>
    <message>
        <source>Открыть...</source>
        <translation>Open...</translation>
    </message>
    <message>
        <source>Запись не выбрана</source>
        <translation>No recording chosen</translation>
    </message>
    <message>
        <source>Калибратор</source>
        <translation>Calibrator</translation>
    </message>
    <message>
        <source>Уровень (дБ отн. 20 мкПа)</source>
        <translation>Level (dB re 20 µPa)</translation>
    </message>
    <message>
        <source>Частота (Гц)</source>
        <translation>Frequency (Hz)</translation>
    </message>
    <message>
        <source>Участок записи</source>
        <translation>Recording stretch</translation>
    </message>
    <message>
        <source>Начало (с)</source>
        <translation>Start (s)</translation>
    </message>
    <message>
        <source>Длительность (с)</source>
        <translation>Duration (s)</translation>
    </message>
    <message>
        <source>Полная шкала звукозаписи (В)</source>
        <translation>Recording full scale (V)</translation>
    </message>
    <message>
        <source>Вычислить</source>
        <translation>Calculate</translation>
    </message>
    <message>
        <source>Предупреждения</source>
        <translation>Warnings</translation>
    </message>
    <message>
        <source>Применить</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Микрофон</source>
        <translation>Microphone</translation>
    </message>
    <message>
        <source>Частота тона (Гц)</source>
        <translation>Tone frequency (Hz)</translation>
    </message>
    <message>
        <source>Уровень (дБ)</source>
        <translation>Level (dB)</translation>
    </message>
    <message>
        <source>Новая (мВ/Па)</source>
        <translation>New (mV/Pa)</translation>
    </message>
    <message>
        <source>Прежняя (мВ/Па)</source>
        <translation>Previous (mV/Pa)</translation>
    </message>
    <message>
        <source>Изменение (дБ)</source>
        <translation>Change (dB)</translation>
    </message>
    <message>
        <source>Стабильность (дБ)</source>
        <translation>Stability (dB)</translation>
    </message>
    <message>
        <source>Уровень тона при прежней чувствительности</source>
        <translation>Tone level with the previous sensitivity</translation>
    </message>
    <message>
        <source>Разность наибольшего и наименьшего уровня по секундам записи</source>
        <translation>Difference between the highest and lowest level over the recording&apos;s seconds</translation>
    </message>
    <message>
        <source>Записи калибратора (*.wav *.w64 *.rf64 *.flac *.caf *.aif *.aiff *.kvnb)</source>
        <translation>Calibrator recordings (*.wav *.w64 *.rf64 *.flac *.caf *.aif *.aiff *.kvnb)</translation>
    </message>
    <message>
        <source>Все файлы (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>Калибровка читает звукозаписи (WAV, FLAC, AIFF и другие) и сегменты (*.kvnb).</source>
        <translation>Calibration reads sound recordings (WAV, FLAC, AIFF and others) and segments (*.kvnb).</translation>
    </message>
    <message>
        <source>В записи %1 нет ни одного отсчета</source>
        <translation>The recording %1 has no samples</translation>
    </message>
    <message>
        <source>%1, каналов: %2</source>
        <translation>%1, channels: %2</translation>
    </message>
    <message>
        <source>Сегмент, отсчеты АЦП × %1 В</source>
        <translation>Segment, ADC counts × %1 V</translation>
    </message>
    <message>
        <source>%1; частота оцифровки %2 Гц; длительность %3 с</source>
        <translation>%1; sample rate %2 Hz; duration %3 s</translation>
    </message>
    <message>
        <source>Уровень калибратора: нужно положительное число, дБ отн. 20 мкПа</source>
        <translation>Calibrator level: a positive number is needed, dB re 20 µPa</translation>
    </message>
    <message>
        <source>Частота калибратора: нужно положительное число, Гц</source>
        <translation>Calibrator frequency: a positive number is needed, Hz</translation>
    </message>
    <message>
        <source>Сначала откройте запись калибратора</source>
        <translation>Open a calibrator recording first</translation>
    </message>
    <message>
        <source>В выбранном участке записи нет ни одного отсчета</source>
        <translation>The chosen stretch of the recording has no samples</translation>
    </message>
    <message>
        <source>Читается запись калибратора</source>
        <translation>Reading the calibrator recording</translation>
    </message>
    <message>
        <source>Микрофон %1</source>
        <translation>Microphone %1</translation>
    </message>
    <message>
        <source>%1: %2; прежняя чувствительность сохранится.</source>
        <translation>%1: %2; the previous sensitivity is kept.</translation>
    </message>
    <message>
        <source>Тон калибратора не найден: прежняя чувствительность сохранится</source>
        <translation>Calibrator tone not found: the previous sensitivity is kept</translation>
    </message>
    <message>
        <source>%1: прежняя чувствительность сохранится.</source>
        <translation>%1: the previous sensitivity is kept.</translation>
    </message>
    <message>
        <source>Предупреждений нет.</source>
        <translation>No warnings.</translation>
    </message>
    <message>
        <source>Нет новых чувствительностей: ни у одного микрофона не найден тон калибратора</source>
        <translation>No new sensitivities: the calibrator tone was found for no microphone</translation>
    </message>
</context>
<context>
    <name>TChans</name>
    <message>
        <source>Соответствие каналов</source>
        <translation>Channel mapping</translation>
    </message>
    <message>
        <source>Порядок следования</source>
        <translation>Order</translation>
    </message>
    <message>
        <source>Соответствие каналам</source>
        <translation>Channel</translation>
    </message>
    <message>
        <source>Сохранить</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Не может быть одинаковых каналов</source>
        <translation>Channels cannot repeat</translation>
    </message>
</context>
<context>
    <name>TDemo</name>
    <message>
        <source>Параметры демосигнала</source>
        <translation>Test signal parameters</translation>
    </message>
    <message>
        <source>Тип сигнала</source>
        <translation>Signal type</translation>
    </message>
    <message>
        <source>Синус</source>
        <translation>Sine</translation>
    </message>
    <message>
        <source>Меандр</source>
        <translation>Square wave</translation>
    </message>
    <message>
        <source>Импульс</source>
        <translation>Pulse</translation>
    </message>
    <message>
        <source>Амплитуда, В</source>
        <translation>Amplitude, V</translation>
    </message>
    <message>
        <source>Частота, Гц</source>
        <translation>Frequency, Hz</translation>
    </message>
    <message>
        <source>Амплитуда шума, %</source>
        <translation>Noise amplitude, %</translation>
    </message>
    <message>
        <source>FI_Z, град</source>
        <translation>FI_Z, °</translation>
    </message>
    <message>
        <source>FI_X, град</source>
        <translation>FI_X, °</translation>
    </message>
    <message>
        <source>Длительность, сек</source>
        <translation>Duration, s</translation>
    </message>
    <message>
        <source>Частота оцифровки, Гц</source>
        <translation>Sample rate, Hz</translation>
    </message>
    <message>
        <source>Принять</source>
        <translation>Accept</translation>
    </message>
    <message>
        <source>Амплитуда не изменена: значение VOLT (вольт на единицу АЦП) должно быть положительным и не слишком малым. Исправьте его в настройках.</source>
        <translation>Amplitude not changed: VOLT (volts per ADC unit) must be positive and not too small. Correct it in the settings.</translation>
    </message>
</context>
<context>
    <name>TReGR</name>
    <message>
        <source>Канал 1</source>
        <translation>Channel 1</translation>
    </message>
    <message>
        <source>Автомасштаб</source>
        <translation>Auto scale</translation>
    </message>
    <message>
        <source>Максимум</source>
        <translation>Maximum</translation>
    </message>
    <message>
        <source>Минимум</source>
        <translation>Minimum</translation>
    </message>
    <message>
        <source>Толщина</source>
        <translation>Width</translation>
    </message>
    <message>
        <source>Сетка</source>
        <translation>Grid</translation>
    </message>
    <message>
        <source>Цвет</source>
        <translation>Colour</translation>
    </message>
    <message>
        <source>Применить ко всем графикам</source>
        <translation>Apply to all charts</translation>
    </message>
    <message>
        <source>Применить</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>Отменить</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Канал %1</source>
        <translation>Channel %1</translation>
    </message>
    <message>
        <source>Неверно введено число!</source>
        <translation>Invalid number!</translation>
    </message>
    <message>
        <source>Максимум должен быть больше минимума!</source>
        <translation>The maximum must be greater than the minimum!</translation>
    </message>
</context>
<context>
    <name>TUst</name>
    <message>
        <source>Установки</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Отношение Вольты/Данные АЦП</source>
        <translation>Volts per ADC unit</translation>
    </message>
    <message>
        <source>Нуль АЦП</source>
        <translation>ADC zero</translation>
    </message>
    <message>
        <source>Плотность воздуха (кг/м**3)</source>
        <translation>Air density (kg/m³)</translation>
    </message>
    <message>
        <source>Скорость звука в воздухе (м/сек)</source>
        <translation>Speed of sound in air (m/s)</translation>
    </message>
    <message>
        <source>Расстояние между микрофонами 1 - 2 (м)</source>
        <translation>Spacing of microphones 1 - 2 (m)</translation>
    </message>
    <message>
        <source>Расстояние между микрофонами 3 - 4 (м)</source>
        <translation>Spacing of microphones 3 - 4 (m)</translation>
    </message>
    <message>
        <source>Расстояние между микрофонами 5 - 6 (м)</source>
        <translation>Spacing of microphones 5 - 6 (m)</translation>
    </message>
    <message>
        <source>Кол-во кадров при считывания</source>
        <translation>Frames per read</translation>
    </message>
    <message>
        <source>Коэф. прореживания (Магнитофон)</source>
        <translation>Decimation factor (recorder)</translation>
    </message>
    <message>
        <source>Чувствительность мВ/Па</source>
        <translation>Sensitivity, mV/Pa</translation>
    </message>
    <message>
        <source>Интенсивность по чувствительностям микрофонов</source>
        <translation>Intensity from the microphone sensitivities</translation>
    </message>
    <message>
        <source>Давление каждого канала из чувствительности его микрофона, а не единый множитель для всех шести</source>
        <translation>Each channel&apos;s pressure from its microphone&apos;s sensitivity, not one factor for all six</translation>
    </message>
    <message>
        <source>Загрузить из файла</source>
        <translation>Load from file</translation>
    </message>
    <message>
        <source>Сохранить в файл</source>
        <translation>Save to file</translation>
    </message>
    <message>
        <source>Сохранить</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>целое число от %1 до %2</source>
        <translation>a whole number from %1 to %2</translation>
    </message>
    <message>
        <source>число от %1 до %2</source>
        <translation>a number from %1 to %2</translation>
    </message>
    <message>
        <source>INI файл (*.ini)</source>
        <translation>INI file (*.ini)</translation>
    </message>
    <message>
        <source>№ канала</source>
        <translation>Channel</translation>
    </message>
    <message>
        <source>Значение</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>Канал %1</source>
        <translation>Channel %1</translation>
    </message>
    <message>
        <source>Не верно записано число: %1</source>
        <translation>Invalid number: %1</translation>
    </message>
    <message>
        <source>Недопустимое значение: %1 — допускается %2</source>
        <translation>Value not allowed: %1 — allowed is %2</translation>
    </message>
    <message>
        <source>Не верно записана чувствительность канала №%1</source>
        <translation>Invalid sensitivity of channel %1</translation>
    </message>
    <message>
        <source>Недопустимая чувствительность канала №%1 — допускается %2</source>
        <translation>Sensitivity of channel %1 not allowed — allowed is %2</translation>
    </message>
    <message>
        <source>Не удалось прочитать файл %1</source>
        <translation>Could not read the file %1</translation>
    </message>
    <message>
        <source>%1 = %2 (допускается %3)</source>
        <translation>%1 = %2 (allowed is %3)</translation>
    </message>
    <message>
        <source>NULL_ADC = %1 (допускается %2)</source>
        <translation>NULL_ADC = %1 (allowed is %2)</translation>
    </message>
    <message>
        <source>Из файла %1 не загружены недопустимые значения:
%2
Остальные значения загружены.</source>
        <translation>Values not allowed were not loaded from the file %1:
%2
The other values were loaded.</translation>
    </message>
    <message>
        <source>Не удалось записать файл %1</source>
        <translation>Could not write the file %1</translation>
    </message>
</context>
</TS>
