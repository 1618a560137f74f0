// Date-time values as the class library kept them: a double counting days since
// 1899-12-30 00:00, the fraction being the local time of day. Durations are days too.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

using TDateTime = double;

constexpr int64_t MSecsPerDay = 86'400'000;

// The current local date and time; tests set the clock with SetzeUhr.
TDateTime Now();
void SetzeUhr(std::optional<TDateTime> fest);

// Milliseconds on a clock that never jumps: setting the wall clock or a change to or
// from summer time does not move it. It runs on while the machine sleeps, as the
// provider's meter does. Elapsed time is taken from here, dates from Now.
// Pinned with SetzeMonotoneUhr; while only the wall clock is pinned it follows that,
// so a test that moves Now moves the elapsed time with it.
int64_t MonotoneMillisekunden();
void SetzeMonotoneUhr(std::optional<int64_t> fest);

// Milliseconds the machine has been awake: the same clock without the time spent in
// suspend. How far the two drift apart tells how long the machine slept. Follows
// MonotoneMillisekunden while that is pinned, so pinned clocks never show a sleep.
int64_t WachMillisekunden();

TDateTime EncodeDate(int jahr, int monat, int tag);
TDateTime EncodeTime(int stunde, int minute, int sekunde, int msek);
void DecodeDate(TDateTime wert, int& jahr, int& monat, int& tag);
// The calendar month of a date as one running number, year * 12 + month - 1, so that
// months of different years compare.
int MonatsIndex(TDateTime wert);

// A value split into whole days and the time of day: the value times 86,400,000 rounded
// to whole milliseconds (ties to even), whole days taken off, the rest divided into
// hours 0..23, minutes, seconds and milliseconds.
struct TZeitTeile {
    int64_t Tage = 0;
    int Stunde = 0, Minute = 0, Sekunde = 0, MSek = 0;
};
TZeitTeile ZerlegeZeit(TDateTime wert);
void DecodeTime(TDateTime wert, int& stunde, int& minute, int& sekunde, int& msek);

// Texts by FormatSettings.
QString DateToStr(TDateTime wert);
QString TimeToStr(TDateTime wert); // time of day: whole days dropped
QString DateTimeToStr(TDateTime wert); // date, blank, time; the time left out at 00:00:00
// A duration in the long time format with the hours counted in total, so that
// 25 hours 3 minutes read 25:03:00 and not 01:03:00.
QString DauerToStr(TDateTime dauer);
