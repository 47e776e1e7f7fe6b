// The octave and one-third-octave band table as texts: its columns, one row of cells per band
// and per total, and its CSV file. The band window and the batch tool both take them from here,
// so a band reads the same on the screen, in the window's file and in the tool's output.
#pragma once

#include "OctaveBands.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// Where the texts go; each has its own number form and its own word for "no level".
enum class BandTextForm {
    // The band window: headers and words in the interface's language, the default QLocale's
    // decimal separator, a few digits to read, "—" where a level is none.
    Window,
    // The program's own CSV file, as the intensity spectra's (IntensityCsvLines): the window's
    // Russian headers and words whatever the interface's language, ";" after every field, 7 significant
    // digits in the default QLocale's form,
    // Windows-1251 with CR LF; an empty field where a level is none.
    ProgramCsv,
    // A plain CSV file for other programs: English headers, "," between fields, "." decimal,
    // every digit of a number, UTF-8 with LF; an empty field where a level is none.
    PlainCsv,
};

// The columns, in order: the band, its edges, I with |I| and the three levels, J with |J|,
// K, П, the direction angles of I as the calculation table defines them (atan(Iy / Ix),
// 90 - that, asin(Iz / |I|)), whether the band is valid, and why not.
enum BandColumn : int {
    kBandColNominal,
    kBandColLower,
    kBandColCentre,
    kBandColUpper,
    kBandColIx,
    kBandColIy,
    kBandColIz,
    kBandColIMod,
    kBandColLI,
    kBandColLp,
    kBandColIndex,
    kBandColJx,
    kBandColJy,
    kBandColJz,
    kBandColJMod,
    kBandColKx,
    kBandColKy,
    kBandColKz,
    kBandColPx,
    kBandColPy,
    kBandColPz,
    kBandColAngleX,
    kBandColAngleY,
    kBandColAngleZ,
    kBandColValid,
    kBandColCaution,
    kBandColumnCount
};

QStringList BandTableHeaders(BandTextForm form);

// The cells of one band, kBandColumnCount of them.
QStringList BandRowCells(const OctaveBand& band, BandTextForm form);

// The cells of a total over the bands: named in the first column ("Сумма", "Сумма A";
// "total", "total_A"), no edges, no validity.
QStringList BandTotalCells(const BandFigures& total, bool aWeighted, BandTextForm form);

// The lines of the band table's CSV file: for ProgramCsv a title, two ";" lines, the header,
// the rows, two ";" lines and the note on units, every field followed by ";"; for PlainCsv the
// header and the rows. The rows are the bands, the total and, with withTotalA, the A-weighted
// total.
QStringList BandCsvLines(const BandAnalysis& analysis, bool withTotalA, BandTextForm form);

// The lines as the file's bytes in the form's encoding.
QByteArray EncodeBandCsv(const QStringList& lines, BandTextForm form);

// A field of a CSV line, quoted when it holds the separator, a quote or a line break.
QString BandCsvField(const QString& text, QChar separator);
