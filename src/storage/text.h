// Shared helpers for numbers and code page 932 texts as they are typed, shown and stored.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

// Code page 932 (Shift_JIS with the Windows extensions: ①, ～, 髙 …).
QByteArray toCp932(QStringView text);
QString fromCp932(QByteArrayView bytes);

// True when `byte` starts a two-byte character in code page 932.
bool isCp932LeadByte(unsigned char byte);

// The text as a fixed-width field: code page 932, cut at `width` bytes without splitting a two-byte
// character, then padded with blanks to exactly `width` bytes.
QByteArray fixedText(QStringView text, int width);
// Writes fixedText(text, width) at `dest`.
void putText(char* dest, QStringView text, int width);
// Reads a fixed-width field back; trailing blanks are kept.
QString getText(const char* src, int width);

// Lenient reading of a number typed or stored as text: leading blanks are skipped and the longest leading
// decimal number (sign, digits, period, exponent) is taken; 0 when there is none. "12a" is 12, "abc" 0.
double val(QStringView text);
// True when the leading number of the text is beyond what a double holds ("1e999"); val reads it as 0.
bool valTooLarge(QStringView text);
// Strict reading: the whole text, blanks around it aside, is one decimal number a double holds; else none.
std::optional<double> strictVal(QStringView text);

// Plain decimal form for display and files: up to 15 significant digits, no grouping, no exponent,
// no trailing zeros (120, 37.5, 0.05, -3).
QString numText(double value);

// A stored fixed-width text as a box or a cell shows it: without the blanks and zero bytes that pad the field.
// Saving pads it again (fixedText), so what is stored does not change.
QString shownText(QStringView text);
// A figure that is only read, never typed: numText with the thousands grouped (2,180, -1,050, 12,345.5).
// Boxes the cashier types into and CSV cells keep numText.
QString groupedNumber(double value);
// True when the text, blanks around it aside, is a figure as the program shows one: an optional "¥" and
// sign, digits (grouped or not) and optional decimals ("1050", "-52.5", "2,180", "¥2,180").
bool isFigureText(QStringView text);

// Rounds to the nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double value);
// Money rounded half up: floor(x + 0.5).
double roundMoney(double value);

// True when value, rounded half to even, fits a signed 16-bit field.
bool fitsInt16(double value);
bool fitsInt32(double value);
// Rounded half to even; the caller has checked that it fits.
int16_t toInt16(double value);
int32_t toInt32(double value);

// Little-endian fields inside a record buffer, without alignment.
int16_t getInt16(const char* p);
int32_t getInt32(const char* p);
double getDouble(const char* p);
void putInt16(char* p, int16_t value);
void putInt32(char* p, int32_t value);
void putDouble(char* p, double value);
