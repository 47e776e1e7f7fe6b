<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ru">
<context>
    <name>TFileSave</name>
    <message>
        <source>Обработка</source>
        <translation>Processing</translation>
    </message>
    <message>
        <source>Единицы</source>
        <translation>Units</translation>
    </message>
    <message>
        <source>Отобразить</source>
        <translation>Show</translation>
    </message>
    <message>
        <source>Тип сигнала</source>
        <translation>Signal type</translation>
    </message>
    <message>
        <source>Установить курсоры</source>
        <translation>Set cursors</translation>
    </message>
    <message>
        <source>Лок.автомасштаб</source>
        <translation>Local autoscale</translation>
    </message>
    <message>
        <source>Фильтрация</source>
        <translation>Filtering</translation>
    </message>
    <message>
        <source>Окно</source>
        <translation>Window</translation>
    </message>
    <message>
        <source>Нет</source>
        <translation>None</translation>
    </message>
    <message>
        <source>Треугольное</source>
        <translation>Triangular</translation>
    </message>
    <message>
        <source>Ханннинга</source>
        <translation>Hanning</translation>
    </message>
    <message>
        <source>Хамминга</source>
        <translation>Hamming</translation>
    </message>
    <message>
        <source>Блэкманна-Харриса</source>
        <translation>Blackman-Harris</translation>
    </message>
    <message>
        <source>Блэкмана (Уточненный)</source>
        <translation>Blackman (exact)</translation>
    </message>
    <message>
        <source>Блэкмана</source>
        <translation>Blackman</translation>
    </message>
    <message>
        <source>Fmin, Гц</source>
        <translation>Fmin, Hz</translation>
    </message>
    <message>
        <source>Fmax, Гц</source>
        <translation>Fmax, Hz</translation>
    </message>
    <message>
        <source>АЧХ</source>
        <translation>Spectrum</translation>
    </message>
    <message>
        <source>Интенсивность</source>
        <translation>Intensity</translation>
    </message>
    <message>
        <source>Отменить</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>Доп.математика</source>
        <translation>More math</translation>
    </message>
    <message>
        <source>Вектора интенсивности</source>
        <translation>Intensity vectors</translation>
    </message>
    <message>
        <source>Полосы</source>
        <translation>Bands</translation>
    </message>
    <message>
        <source>Интенсивность в октавных и третьоктавных полосах</source>
        <translation>Intensity in octave and one-third octave bands</translation>
    </message>
    <message>
        <source>Сложить</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>Вычесть</source>
        <translation>Subtract</translation>
    </message>
    <message>
        <source>Интегрировать</source>
        <translation>Integrate</translation>
    </message>
    <message>
        <source>Дифференциировать</source>
        <translation>Differentiate</translation>
    </message>
    <message>
        <source>Скорость от времени</source>
        <translation>Velocity from time</translation>
    </message>
    <message>
        <source>Скорость от частоты</source>
        <translation>Velocity from frequency</translation>
    </message>
    <message>
        <source>Линейная аппроксимация</source>
        <translation>Linear approximation</translation>
    </message>
    <message>
        <source>Лин.аппр.</source>
        <translation>Lin. fit</translation>
    </message>
    <message>
        <source>Записать в CSV файл</source>
        <translation>Save to CSV file</translation>
    </message>
    <message>
        <source>Записать WAV</source>
        <translation>Save WAV</translation>
    </message>
    <message>
        <source>Рабочие отсчеты шести каналов в вольтах: 32-битный WAV</source>
        <translation>Working samples of the six channels in volts: 32-bit WAV</translation>
    </message>
    <message>
        <source>Выход</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Идет перерисовка графиков</source>
        <translation>Redrawing the charts</translation>
    </message>
    <message>
        <source>Ix, Вт/м**2</source>
        <translation>Ix, W/m²</translation>
    </message>
    <message>
        <source>Jx, Вт/м**2</source>
        <translation>Jx, W/m²</translation>
    </message>
    <message>
        <source>Iy, Вт/м**2</source>
        <translation>Iy, W/m²</translation>
    </message>
    <message>
        <source>Jy, Вт/м**2</source>
        <translation>Jy, W/m²</translation>
    </message>
    <message>
        <source>Iz, Вт/м**2</source>
        <translation>Iz, W/m²</translation>
    </message>
    <message>
        <source>Jz, Вт/м**2</source>
        <translation>Jz, W/m²</translation>
    </message>
    <message>
        <source>Паскали</source>
        <translation>Pascals</translation>
    </message>
    <message>
        <source>Вольты</source>
        <translation>Volts</translation>
    </message>
    <message>
        <source>Импульс</source>
        <translation>Impulse</translation>
    </message>
    <message>
        <source>Периодический</source>
        <translation>Periodic</translation>
    </message>
    <message>
        <source>В</source>
        <translation>V</translation>
    </message>
    <message>
        <source>Па</source>
        <translation>Pa</translation>
    </message>
    <message>
        <source>Файл *csv (*.csv)</source>
        <translation>CSV file (*.csv)</translation>
    </message>
    <message>
        <source>Чтение файла</source>
        <translation>Reading the file</translation>
    </message>
    <message>
        <source>Слишком короткий сигнал: меньше двух отсчетов на канал. Проверьте частоту оцифровки и длительность.</source>
        <translation>The signal is too short: fewer than two samples per channel. Check the sample rate and the duration.</translation>
    </message>
    <message>
        <source>Слишком короткий сигнал: меньше двух отсчетов на канал.</source>
        <translation>The signal is too short: fewer than two samples per channel.</translation>
    </message>
    <message>
        <source>Канал %1 (%2)</source>
        <translation>Channel %1 (%2)</translation>
    </message>
    <message>
        <source>дБА</source>
        <translation>dBA</translation>
    </message>
    <message>
        <source>Канал %1</source>
        <translation>Channel %1</translation>
    </message>
    <message>
        <source>Недостаточно памяти для вычисления спектров.</source>
        <translation>Not enough memory to compute the spectra.</translation>
    </message>
    <message>
        <source>Идет фильтрация</source>
        <translation>Filtering</translation>
    </message>
    <message>
        <source>Ошибка фильтрации</source>
        <translation>Filtering failed</translation>
    </message>
    <message>
        <source>Идет вычисление АЧХ</source>
        <translation>Computing the spectra</translation>
    </message>
    <message>
        <source>Идет откат</source>
        <translation>Undoing</translation>
    </message>
    <message>
        <source>Кан.№ %1 Мин= %2 Макс= %3 Сред= %4

</source>
        <translation>Ch. %1 Min= %2 Max= %3 Mid= %4

</translation>
    </message>
    <message>
        <source>Канал %1 (м/с)</source>
        <translation>Channel %1 (m/s)</translation>
    </message>
    <message>
        <source>Между курсорами нет двух разных отсчетов: линейная аппроксимация невозможна. Раздвиньте курсоры.</source>
        <translation>There are no two distinct samples between the cursors: a linear approximation is impossible. Move the cursors apart.</translation>
    </message>
    <message>
        <source>Вычисляется интенсивность</source>
        <translation>Computing the intensity</translation>
    </message>
    <message>
        <source>Слишком короткий сигнал для спектра интенсивности: нужно не меньше четырех отсчетов.</source>
        <translation>The signal is too short for an intensity spectrum: at least four samples are needed.</translation>
    </message>
    <message>
        <source>Недостаточно памяти для вычисления интенсивности.</source>
        <translation>Not enough memory to compute the intensity.</translation>
    </message>
    <message>
        <source>Вт/м**2</source>
        <translation>W/m²</translation>
    </message>
    <message>
        <source>Недопустимый интервал между маркерами</source>
        <translation>Invalid interval between the cursors</translation>
    </message>
    <message>
        <source>В выбранном диапазоне частот нет ни одной составляющей спектра. Выберите более широкий диапазон.</source>
        <translation>The chosen frequency range holds no spectrum line. Choose a wider range.</translation>
    </message>
    <message>
        <source>Не удалось проинтегрировать спектр в выбранном диапазоне.</source>
        <translation>Could not integrate the spectrum over the chosen range.</translation>
    </message>
    <message>
        <source>; давление по чувствительностям микрофонов</source>
        <translation>; pressure from the microphone sensitivities</translation>
    </message>
    <message>
        <source>Звуковые файлы WAV (*.wav)</source>
        <translation>WAV sound files (*.wav)</translation>
    </message>
    <message>
        <source>Файл существует.Переписать?</source>
        <translation>The file exists. Overwrite it?</translation>
    </message>
    <message>
        <source>Недостаточно памяти для записи файла.</source>
        <translation>Not enough memory to write the file.</translation>
    </message>
    <message>
        <source>Не удалось записать файл %1: %2</source>
        <translation>Could not write the file %1: %2</translation>
    </message>
    <message>
        <source>В диапазоне Fmin ... Fmax нет ни одной частоты спектра: файл не записан. Проверьте Fmin и Fmax.</source>
        <translation>No spectrum frequency lies between Fmin and Fmax: the file was not written. Check Fmin and Fmax.</translation>
    </message>
    <message>
        <source>Снять курсоры</source>
        <translation>Remove cursors</translation>
    </message>
</context>
<context>
    <name>TMath</name>
    <message>
        <source>Каналы</source>
        <translation>Channels</translation>
    </message>
    <message>
        <source>Выделить все</source>
        <translation>Select all</translation>
    </message>
    <message>
        <source>Снять все</source>
        <translation>Clear all</translation>
    </message>
    <message>
        <source>Фильтрация</source>
        <translation>Filtering</translation>
    </message>
    <message>
        <source>Фильтр</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>Баттерворд</source>
        <translation>Butterworth</translation>
    </message>
    <message>
        <source>Чебышев</source>
        <translation>Chebyshev</translation>
    </message>
    <message>
        <source>Элиптический</source>
        <translation>Elliptic</translation>
    </message>
    <message>
        <source>Порядок</source>
        <translation>Order</translation>
    </message>
    <message>
        <source>Применить</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
</context>
</TS>
