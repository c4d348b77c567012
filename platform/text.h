#pragma once
#include <QString>
#include <QStringView>
#include <cstddef>
#include <string>
#include <string_view>

// CP932 ("Shift-JIS") text. The program holds its text as CP932 bytes in
// std::string; Unicode exists only at the widget boundary.
namespace cp932 {

// Unicode for a widget. A byte that is not valid CP932 becomes the lone
// surrogate U+DC00 + byte, so fromUnicode gives the same byte back.
QString toUnicode(std::string_view bytes);

// CP932 bytes of a widget's text; an escaped byte (see toUnicode) becomes its
// byte again. A character CP932 cannot hold becomes "?": callers keep such
// characters out (canEncode), so this never happens to the user's text.
std::string fromUnicode(QStringView text);

// A fixed UTF-8 text of the source, in CP932.
std::string fromUtf8(std::string_view utf8);

// Whether a character can be stored in CP932. Escaped bytes count as storable.
bool canEncode(char32_t ch);
bool canEncode(QStringView text);

// Bytes the character takes in CP932: 1 or 2 (1 for an escaped byte; 0 for a
// character CP932 cannot hold).
std::size_t byteWidth(char32_t ch);
std::size_t byteWidth(QStringView text);

// Whether the byte begins a double-byte character.
bool isLeadByte(unsigned char b);

// Bytes of the character that starts at text[i]: 2 for a lead byte followed
// by a trail byte, else 1.
std::size_t charLength(std::string_view text, std::size_t i);

// The longest head of text of at most n bytes that does not split a
// double-byte character.
std::string_view cut(std::string_view text, std::size_t n);

// ASCII letters folded to lower case, as names compare on Windows. A
// double-byte character stays whole: its trail byte may look like a letter.
std::string foldCase(std::string_view text);
bool equalsCaseless(std::string_view a, std::string_view b);

}

// The run-time library's string-to-integer conversion: leading blanks, an
// optional sign, decimal digits and nothing after them, within -2147483647 to
// 2147483647; or an unsigned hexadecimal number of one to eight digits after
// "$", "x", "X", "0x" or "0X". Anything else raises EConvertError with the
// message "'%s' は整数ではありません".
int StrToInt(const std::string &text);

// The lenient decimal read: leading white space, optional sign, digits up to
// the first other character; no digits gives 0. A number beyond the 32-bit
// range gives 2147483647 or -2147483648.
int LenientInt(std::string_view text);
