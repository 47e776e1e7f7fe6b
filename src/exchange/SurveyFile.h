// The two written forms of a survey of probe positions: the CSV form of SoundPower.h and a JSON
// form,
//   {"source": "...", "points": [{"file": "...", "area": 0.25, "normal": [1, 0, 0],
//                                 "label": "..."}, {"file": ..., "face": "+x"}, ...]}
// with either "normal" or "face" per point and "source" and "label" optional. Both read into
// the same points, and both are written, so a survey built in the program can be saved.
#pragma once

#include "SoundPower.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

// Whether a survey is in the JSON form: its name ends in ".json", or its first character that is
// not blank (after a byte-order mark) is '{'.
bool IsSurveyJson(const std::string& path, const std::string& text);

// The JSON form. Returns the error, naming the point (counted from 1) and its field, or an empty
// text; source receives the "source" text (empty when absent) when given.
std::string ParseSurveyJson(const std::string& text, std::vector<SurveyPoint>& points,
                            std::string* source = nullptr);

// A survey's bytes as UTF-8 text: UTF-8 (with or without a byte-order mark) as it is; anything
// else is taken as Windows-1251, the code page a spreadsheet of a Russian Windows saves CSV in,
// and windows1251 is set.
std::string DecodeSurveyText(const std::string& bytes, bool& windows1251);

// Either form, as IsSurveyJson tells them apart, from the bytes as DecodeSurveyText reads them
// (windows1251, when given, says whether they were taken as Windows-1251); a CSV survey has no
// source.
std::string ParseSurveyText(const std::string& path, const std::string& text,
                            std::vector<SurveyPoint>& points, std::string* source = nullptr,
                            bool* windows1251 = nullptr);

// The outward normal a face of a box around the source stands for ("+x", "top", ...; any case),
// as both forms read it; none for another name.
std::optional<std::array<double, 3>> SurveyFaceNormal(const std::string& face);

// The face a normal along an axis is written as ("+x", ...), or null for any other normal.
const char* SurveyFaceName(const std::array<double, 3>& normal);

// The JSON form, indented; a normal along an axis is written as its face ("+x", ...).
std::string SurveyToJson(const std::vector<SurveyPoint>& points, const std::string& source = {});

// The CSV form: "file,area,face,label" when every normal lies along an axis, else
// "file,area,nx,ny,nz,label"; numbers in their shortest exact form, so they read back unchanged.
std::string SurveyToCsv(const std::vector<SurveyPoint>& points);
